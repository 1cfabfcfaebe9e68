# Thin wrapper over CMake: `make play` builds and starts the game, `make test`
# builds and runs every suite, then again under AddressSanitizer and UBSan.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
WEB_BUILD ?= build-web
WEB_PORT ?= 8000

.PHONY: play test deps build build-asan test-plain test-asan test-fuzz fuzz clean \
	web web-data serve-web test-web

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

play: build
	cd $(BUILD)/data && ../game/vaultrun

test-plain: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVAULTRUN_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The level and score readers under libFuzzer, FUZZ_SECONDS each; for a longer
# search: make fuzz FUZZ_SECONDS=600
test-fuzz: deps
	./fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz: test-fuzz

# The web page in $(WEB_BUILD)/dist: the libraries it links are built once from
# Debian's sources into $(WEB_BUILD) (scripts/build-web-deps), the data comes
# from the native build's data folder. Emscripten's optimiser needs Debian's
# JavaScript modules, which a Node.js not from Debian does not look for.
web-data: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS) --target vaultrun_data vaultrun_level

web: web-data
	JOBS=$(JOBS) ./scripts/build-web-deps $(WEB_BUILD)
	emcmake cmake -S . -B $(WEB_BUILD)/game -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_PREFIX_PATH=$(abspath $(WEB_BUILD))/prefix \
		-DCMAKE_FIND_ROOT_PATH=$(abspath $(WEB_BUILD))/prefix \
		-DVAULTRUN_WEB_DATA=$(abspath $(BUILD))/data \
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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)/game $(WEB_BUILD)/dist $(WEB_BUILD)/bare
