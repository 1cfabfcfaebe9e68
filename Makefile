# Thin wrapper over CMake: `make play` builds and starts the game, `make test`
# builds and runs every suite, then again under AddressSanitizer and UBSan, then
# the fuzzers; `make package` builds the Debian package.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PACKAGE_BUILD ?= build-package
FUZZ_SECONDS ?= 30

# A player's build leaves out the suites and the speed tools, and with them
# GoogleTest and Google Benchmark; `make test` puts them back in the same folder.
PLAY_OPTIONS = -DVAULTRUN_TESTS=OFF -DVAULTRUN_BENCH=OFF
TEST_OPTIONS = -DVAULTRUN_TESTS=ON -DVAULTRUN_BENCH=ON

# The package is built with Debian's own compiler and linker flags, hardening
# included, as a Debian package build would.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

.PHONY: play test deps deps-dev build build-test build-asan test-plain test-asan test-fuzz \
	fuzz package clean

deps:
	./scripts/install-deps

deps-dev:
	./scripts/install-deps --dev

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(PLAY_OPTIONS)
	cmake --build $(BUILD) -j$(JOBS)

play: build
	cd $(BUILD)/data && ../game/vaultrun

build-test: deps-dev
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(TEST_OPTIONS)
	cmake --build $(BUILD) -j$(JOBS)

test-plain: build-test
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

build-asan: deps-dev
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVAULTRUN_SANITIZE=ON $(TEST_OPTIONS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The level, score and picture header readers under libFuzzer, FUZZ_SECONDS each; for a longer
# search: make fuzz FUZZ_SECONDS=600
test-fuzz: deps-dev
	./fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz: test-fuzz

test: test-plain test-asan test-fuzz

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
