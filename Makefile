# The two commands a fresh Debian 12 machine needs: `make run` and `make test`.
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 30
CMAKE_GEN := -G Ninja

.PHONY: all deps run test bench fuzz install clean

all: run

deps:
	@scripts/install-deps

build/release/build.ninja: | deps
	cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DNUV_TESTS=OFF

build/test/build.ninja: | deps
	cmake -S . -B build/test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON -DNUV_TESTS=ON

build/bench/build.ninja: | deps
	cmake -S . -B build/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DNUV_TESTS=OFF -DNUV_BENCH=ON

build/fuzz/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DNUV_TESTS=OFF -DNUV_FUZZ=ON

# The main job: the hydraulics calculator on the example supply-air run (segments, friction and
# local losses, totals), the host program running its demo script (a module's functions and
# command on two drawings), then the suite installed as a user installs it: nuvcad with the
# kernel and an example module built against the installed SDK, on two drawings.
run: deps build/release/build.ninja
	cmake --build build/release
	build/release/bin/nuvcalc --csv-in examples/ducts.csv
	build/release/bin/nuvcad examples/nuvcad/supply.dxf --script examples/nuvcad/demo.scr </dev/null
	examples/module/run.sh build/release build/run
	cd build/release && bin/nuvcad --script ../../examples/nuvcad/editor.scr </dev/null

test: deps build/test/build.ninja
	cmake --build build/test
	cd build/test && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$$(nproc)

bench: deps build/bench/build.ninja
	cmake --build build/bench
	@for b in build/bench/bin/bench_*; do echo "== $$b"; "$$b" || exit 1; done

fuzz: deps build/fuzz/build.ninja
	cmake --build build/fuzz
	@mkdir -p build/fuzz/corpus
	@for f in build/fuzz/bin/fuzz_*; do \
	  n=$$(basename $$f); mkdir -p build/fuzz/corpus/$$n; \
	  seeds=fuzz/$${n#fuzz_}/seeds; [ -d $$seeds ] || seeds=; \
	  echo "== $$n ($(FUZZ_SECONDS) s)"; \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build/fuzz/corpus/$$n $$seeds || exit 1; \
	done

install: deps build/release/build.ninja
	cmake --build build/release
	cmake --install build/release --prefix $(PREFIX)

clean:
	rm -rf build
