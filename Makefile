# make run   - install what is missing, build, start ambit against the demo map server
# make test  - install what is missing, check the formatting, build, run every test, then again with sanitizers
# make bench - build optimised and run the benchmarks under bench/
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build build-asan test test-plain test-asan run bench format format-check clean

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

# Both suites run; the target fails if either fails. The plain suite's
# summary comes first, the sanitizer suite's summary closes the output.
test: deps format-check
	@status=0; \
	$(MAKE) --no-print-directory test-plain || status=1; \
	$(MAKE) --no-print-directory test-asan || status=1; \
	exit $$status

run: build
	@scripts/run-demo

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBIT_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build build-bench -j $(JOBS)
	@for b in $$(ls bench/*.sh | grep -v /lib-); do echo "== $$b"; BUILD=build-bench bash "$$b" || exit 1; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails, naming the files, when a tracked source is not as `make format` leaves it.
format-check:
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-bench
