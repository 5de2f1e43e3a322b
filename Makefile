# make run   - install what is missing, build, start ambit against the demo map server
# make test  - install what is missing, check the formatting, build, run every test, then again with sanitizers
# make bench - build optimised and run every benchmark under bench/ (one "figure:" line per goal)
# make fuzz  - build the fuzz targets with clang and run each FUZZ_SECONDS (300)
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 300

.PHONY: all deps build build-asan test test-plain test-asan fuzz fuzz-smoke run bench format format-check clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

build-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAMBIT_SANITIZE=ON -DAMBIT_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build build-asan -j $(JOBS)

test-plain: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd build-asan && ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@JOBS=$(JOBS) fuzz/run $(FUZZ_SECONDS)

# Every fuzz target for 15 seconds, all at once: a smoke test that the
# targets build and survive their seeds.
fuzz-smoke: deps
	@JOBS=6 fuzz/run 15

# All suites run; the target fails if any fails. The plain suite's summary
# comes first, then the fuzz smoke's, the sanitizer suite's closes the output.
test: deps format-check
	@status=0; \
	$(MAKE) --no-print-directory test-plain || status=1; \
	$(MAKE) --no-print-directory fuzz-smoke || status=1; \
	$(MAKE) --no-print-directory test-asan || status=1; \
	exit $$status

run: build
	@scripts/run-demo

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBIT_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build build-bench -j $(JOBS)
	@failed=""; \
	for b in $$(ls bench/*.sh | grep -v /lib-); do \
		echo "== $$b"; BUILD=build-bench bash "$$b" || failed="$$failed $$b"; \
	done; \
	if [ -n "$$failed" ]; then echo "== benchmarks that failed:$$failed"; exit 1; fi; \
	echo "== every benchmark ran; each figure line says whether its goal was met"

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails, naming the files, when a tracked source is not as `make format` leaves it.
format-check:
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-bench build-fuzz
