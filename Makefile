# Front for the CMake build. `make run` and `make test` do all set-up.
JOBS ?= 2
RELEASE := build/release
CHECK := build/check
ARGS ?=

.PHONY: deps release run test bench fuzz format clean deb

deps:
	@bash tools/install-deps.sh

release: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONDARO_TESTS=OFF
	cmake --build $(RELEASE) -j$(JOBS)

# Runs the program; without ARGS it runs against the simulated analyzer.
run: release
	./$(RELEASE)/sondaro $(if $(ARGS),$(ARGS),--simulate)

# Builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs the fuzz
# targets briefly, then every test (CTest's summary closes the output).
test: deps
	cmake -S . -B $(CHECK) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSONDARO_SANITIZE=ON
	cmake --build $(CHECK) -j$(JOBS)
	@bash tools/run-fuzzers.sh
	cd $(CHECK) && QT_QPA_PLATFORM=offscreen ctest -j$(JOBS) --output-on-failure --timeout 600

# Runs every fuzz target for FUZZ_SECONDS each (default 60) and prints, per
# target, inputs run, inputs per second and any finding with its reproducer.
FUZZ_SECONDS ?= 60
fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash tools/run-fuzzers.sh

bench: release
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONDARO_TESTS=OFF -DSONDARO_BENCH=ON
	cmake --build build/bench -j$(JOBS)
	@mkdir -p build/bench/env/home build/bench/env/config build/bench/env/tmp
	@for b in build/bench/bench/bench_*; do echo "== $$b"; \
	  HOME=$(CURDIR)/build/bench/env/home XDG_CONFIG_HOME=$(CURDIR)/build/bench/env/config \
	  TMPDIR=$(CURDIR)/build/bench/env/tmp $$b; done
	@bash tools/bench-startup.sh
	@bash tools/bench-streaming.sh

# A Debian package of the program: build/release/sondaro_<version>_<arch>.deb.
deb: release
	cd $(RELEASE) && cpack -G DEB

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
