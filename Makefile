# Front door: `make run` starts the game, `make test` runs every test.
PRESET ?= default
BUILD  ?= build

.PHONY: deps configure build run test bench asan clean

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j$$(nproc)

run: build
	@cd $(BUILD) && ./kestrum

test: build
	@ctest --preset $(PRESET) -j$$(nproc)

bench: deps
	@cmake --preset release >/dev/null && cmake --build --preset release -j$$(nproc) --target kestrum_bench
	@build-release/bench/kestrum_bench

asan: deps
	@cmake --preset asan >/dev/null && cmake --build --preset asan -j$$(nproc)
	@ctest --preset asan -j$$(nproc)

clean:
	rm -rf build build-ci build-asan build-release
