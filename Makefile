# Carvolin: the two commands a user needs.
#   make run    installs what is missing, builds and starts the standalone app
#   make test   installs what is missing, builds and runs every test
# and the developer's quick loop:
#   make check  builds the unit tests in a debug build and runs them in parallel

BUILD_DIR  ?= build
BUILD_TYPE ?= Release
CMAKE_ARGS ?=
DEBUG_BUILD_DIR ?= build-debug
SANITIZER_BUILD_DIR ?= build-sanitizers
TSAN_BUILD_DIR ?= build-tsan
FUZZ_SECONDS ?= 45

STANDALONE := $(BUILD_DIR)/Carvolin_artefacts/$(BUILD_TYPE)/Standalone/Carvolin

.PHONY: run test check format test-sanitizers test-tsan fuzz deps configure build bench clean

run: configure
	cmake --build $(BUILD_DIR) --target Carvolin_Standalone
	"$(STANDALONE)"

# Every test of the release build, the unit tests again in a debug build (with
# JUCE's assertions and leak detectors on), in a clang build with AddressSanitizer
# and UndefinedBehaviorSanitizer and in one with ThreadSanitizer, then each fuzz
# target for FUZZ_SECONDS.
test: build
	scripts/run-tests.sh "$(BUILD_DIR)"
	$(MAKE) check
	$(MAKE) test-sanitizers
	$(MAKE) test-tsan
	$(MAKE) fuzz

# The unit tests only: no app-driving scripts, hosting, benchmarks or fuzzing.
# After the first build a change to one file rebuilds and reruns in seconds.
check: deps
	@[ -f "$(DEBUG_BUILD_DIR)/CMakeCache.txt" ] || cmake -S . -B $(DEBUG_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	    -DCARVOLIN_BUILD_BENCHMARKS=OFF -DCARVOLIN_BUILD_HOST_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(DEBUG_BUILD_DIR) --target CarvolinTests
	scripts/run-tests.sh "$(DEBUG_BUILD_DIR)" -L unit

# Formats every C++ file as .clang-format says (make test fails on any that is not).
format: deps
	scripts/check-format.sh --fix

# One clang build serves both: everything with ASan and UBSan, plus the fuzz targets.
# The scripts that drive the standalone app by pointer timing run in the normal build only.
test-sanitizers: deps
	CC=clang CXX=clang++ cmake -S . -B $(SANITIZER_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCARVOLIN_SANITIZERS=ON -DCARVOLIN_FUZZ=ON -DCARVOLIN_BUILD_BENCHMARKS=OFF -DCARVOLIN_BUILD_HOST_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(SANITIZER_BUILD_DIR)
	scripts/run-tests.sh "$(SANITIZER_BUILD_DIR)" -L "unit|corpus"

# The tests that run the processor from more than one thread, under ThreadSanitizer.
test-tsan: deps
	CC=clang CXX=clang++ cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCARVOLIN_TSAN=ON -DCARVOLIN_BUILD_BENCHMARKS=OFF -DCARVOLIN_BUILD_HOST_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(TSAN_BUILD_DIR) --target CarvolinTests
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" scripts/run-tests.sh "$(TSAN_BUILD_DIR)" -L threads

fuzz: deps
	scripts/run-fuzzers.sh $(FUZZ_SECONDS) $(SANITIZER_BUILD_DIR)

bench: configure
	cmake --build $(BUILD_DIR) --target CarvolinBenchmarks
	scripts/run-benchmarks.sh "$(BUILD_DIR)"

build: configure
	cmake --build $(BUILD_DIR)

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

deps:
	scripts/install-deps.sh

clean:
	rm -rf $(BUILD_DIR) $(DEBUG_BUILD_DIR) $(SANITIZER_BUILD_DIR) $(TSAN_BUILD_DIR)
