# Carvolin: the two commands a user needs.
#   make run    installs what is missing, builds and starts the standalone app
#   make test   installs what is missing, builds and runs every test

BUILD_DIR  ?= build
BUILD_TYPE ?= Release
CMAKE_ARGS ?=
SANITIZER_BUILD_DIR ?= build-sanitizers
FUZZ_SECONDS ?= 45

STANDALONE := $(BUILD_DIR)/Carvolin_artefacts/$(BUILD_TYPE)/Standalone/Carvolin

.PHONY: run test test-sanitizers fuzz deps configure build bench clean

run: configure
	cmake --build $(BUILD_DIR) --target Carvolin_Standalone
	"$(STANDALONE)"

# Every test, then every test again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for FUZZ_SECONDS.
test: build
	scripts/run-tests.sh "$(BUILD_DIR)"
	$(MAKE) test-sanitizers
	$(MAKE) fuzz

# One clang build serves both: everything with ASan and UBSan, plus the fuzz targets.
# The scripts that drive the standalone app by pointer timing run in the normal build only.
test-sanitizers: deps
	CC=clang CXX=clang++ cmake -S . -B $(SANITIZER_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCARVOLIN_SANITIZERS=ON -DCARVOLIN_FUZZ=ON -DCARVOLIN_BUILD_BENCHMARKS=OFF -DCARVOLIN_BUILD_HOST_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(SANITIZER_BUILD_DIR)
	scripts/run-tests.sh "$(SANITIZER_BUILD_DIR)" -E "^Standalone\\."

fuzz: deps
	scripts/run-fuzzers.sh $(FUZZ_SECONDS) $(SANITIZER_BUILD_DIR)

bench: configure
	cmake --build $(BUILD_DIR) --target CarvolinBenchmarks
	scripts/run-with-display.sh "$(BUILD_DIR)/benchmarks/CarvolinBenchmarks"

build: configure
	cmake --build $(BUILD_DIR)

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

deps:
	scripts/install-deps.sh

clean:
	rm -rf $(BUILD_DIR) $(SANITIZER_BUILD_DIR)
