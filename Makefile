# Carvolin: the two commands a user needs.
#   make run    installs what is missing, builds and starts the standalone app
#   make test   installs what is missing, builds and runs every test

BUILD_DIR  ?= build
BUILD_TYPE ?= Release
CMAKE_ARGS ?=

STANDALONE := $(BUILD_DIR)/Carvolin_artefacts/$(BUILD_TYPE)/Standalone/Carvolin

.PHONY: run test deps configure build bench clean

run: configure
	cmake --build $(BUILD_DIR) --target Carvolin_Standalone
	"$(STANDALONE)"

test: build
	scripts/run-tests.sh "$(BUILD_DIR)"

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
	rm -rf $(BUILD_DIR)
