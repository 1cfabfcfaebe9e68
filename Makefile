# Thin wrapper over CMake: `make play` builds and starts the game, `make check`
# builds and runs the unit suites, `make test` builds and runs every suite, then
# again under AddressSanitizer and UBSan, then the fuzzers and the web page;
# `make package` builds the Debian package.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PACKAGE_BUILD ?= build-package
FUZZ_SECONDS ?= 30
WEB_BUILD ?= build-web
WEB_PORT ?= 8000

# A player's build leaves out the suites and the speed tools, and with them
# GoogleTest and Google Benchmark; `make test` puts them back in the same folder.
PLAY_OPTIONS = -DVAULTRUN_TESTS=OFF -DVAULTRUN_BENCH=OFF
TEST_OPTIONS = -DVAULTRUN_TESTS=ON -DVAULTRUN_BENCH=ON

# The package is built with Debian's own compiler and linker flags, hardening
# included, as a Debian package build would.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

.PHONY: play check test deps deps-dev deps-web build build-test build-asan test-plain test-asan \
	test-fuzz fuzz package web web-data serve-web test-web clean

deps:
	./scripts/install-deps

deps-dev:
	./scripts/install-deps --dev

deps-web:
	./scripts/install-deps --web

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(PLAY_OPTIONS)
	cmake --build $(BUILD) -j$(JOBS)

play: build
	cd $(BUILD)/data && ../game/vaultrun

build-test: deps-dev
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(TEST_OPTIONS)
	cmake --build $(BUILD) -j$(JOBS)

# Everyday work: the unit suites alone (ctest label unit), in about a minute.
check: build-test
	ctest --test-dir $(BUILD) -L unit --output-on-failure -j$(JOBS)

test-plain: build-test
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

build-asan: deps-dev
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVAULTRUN_SANITIZE=ON $(TEST_OPTIONS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The level, score, picture header, sound header and replay readers under libFuzzer,
# FUZZ_SECONDS each; for a longer search: make fuzz FUZZ_SECONDS=600
test-fuzz: deps-dev
	./fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz: test-fuzz

# The web page in $(WEB_BUILD)/dist: the libraries it links are built once from
# Debian's sources into $(WEB_BUILD) (scripts/build-web-deps), the data comes
# from a native player's build of the data alone, in $(WEB_BUILD)/native.
# Emscripten's optimiser needs Debian's JavaScript modules, which a Node.js not
# from Debian does not look for.
web-data: deps-web
	cmake -S . -B $(WEB_BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo $(PLAY_OPTIONS)
	cmake --build $(WEB_BUILD)/native -j$(JOBS) --target vaultrun_data vaultrun_level

web: web-data
	JOBS=$(JOBS) ./scripts/build-web-deps $(WEB_BUILD)
	emcmake cmake -S . -B $(WEB_BUILD)/game -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_PREFIX_PATH=$(abspath $(WEB_BUILD))/prefix \
		-DCMAKE_FIND_ROOT_PATH=$(abspath $(WEB_BUILD))/prefix \
		-DVAULTRUN_WEB_DATA=$(abspath $(WEB_BUILD))/native/data \
		-DVAULTRUN_WEB_DIST=$(abspath $(WEB_BUILD))/dist \
		-DVAULTRUN_WEB_BARE=$(abspath $(WEB_BUILD))/bare
	NODE_PATH=/usr/share/nodejs$${NODE_PATH:+:$$NODE_PATH} cmake --build $(WEB_BUILD)/game -j$(JOBS)

# For a player: open http://127.0.0.1:$(WEB_PORT)/ in a browser.
serve-web: web
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_BUILD)/dist

# The page played in headless Chromium.
test-web: web
	cd tests/web && npm ci --no-audit --no-fund --loglevel=error
	node tests/web/play-in-browser.mjs $(WEB_BUILD) tests/e2e/levels/win.txt

test: test-plain test-asan test-fuzz test-web

# vaultrun_<version>_amd64.deb in $(PACKAGE_BUILD)
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
		$(PLAY_OPTIONS) \
		-DCMAKE_C_FLAGS="$$($(DEB_FLAGS) CFLAGS) $$($(DEB_FLAGS) CPPFLAGS)" \
		-DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CXXFLAGS) $$($(DEB_FLAGS) CPPFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" \
		-DCMAKE_MODULE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j$(JOBS) --target package

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD) $(WEB_BUILD)/native $(WEB_BUILD)/game \
		$(WEB_BUILD)/dist $(WEB_BUILD)/bare
