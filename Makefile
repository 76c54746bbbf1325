# Two set-up commands for a fresh machine: `make run` and `make test`.
RELEASE_DIR := build
TEST_DIR    := build-test
BENCH_DIR   := build-bench
JOBS        ?= $(shell nproc)

.PHONY: run test build bench deps clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIL_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	./$(RELEASE_DIR)/tessil

test: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSIL_SANITIZE=ON -DTESSIL_WERROR=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIL_TESTS=OFF -DTESSIL_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	@bench/run-all $(BENCH_DIR)

clean:
	rm -rf $(RELEASE_DIR) $(TEST_DIR) $(BENCH_DIR)
