# Thin wrapper over CMake: `make play` builds and starts the game, `make test`
# builds and runs every suite, then again under AddressSanitizer and UBSan.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30

.PHONY: play test deps build build-asan test-plain test-asan test-fuzz fuzz clean

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

# The level, score and picture header readers under libFuzzer, FUZZ_SECONDS each; for a longer
# search: make fuzz FUZZ_SECONDS=600
test-fuzz: deps
	./fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz: test-fuzz

test: test-plain test-asan test-fuzz

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
