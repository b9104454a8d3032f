# Tracewell: `make run` builds and starts the tool, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

PREFIX ?= /usr/local

.PHONY: all deps build run test clean install uninstall deb dev-deps test-sanitize test-tsan lint format format-check fuzz bench

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/tracewell

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)

# The program and its settings into PREFIX/lib/tracewell, PREFIX/bin/tracewell a link to it, the
# manual page and the bash completion; all inside DESTDIR when given. A relative DESTDIR or PREFIX
# is taken from here (cmake would take it from the build folder).
absolute = p="$(1)"; case "$$p" in ""|/*) ;; *) p="$$PWD/$$p" ;; esac
install: build
	$(call absolute,$(DESTDIR)); d="$$p"; $(call absolute,$(PREFIX)); \
	  DESTDIR="$$d" cmake --install $(BUILD) --prefix "$$p"

uninstall: $(BUILD)/CMakeCache.txt
	$(call absolute,$(DESTDIR)); d="$$p"; $(call absolute,$(PREFIX)); \
	  DESTDIR="$$d" cmake -DPREFIX="$$p" -P $(BUILD)/uninstall.cmake

# The Debian package tracewell_VERSION_ARCH.deb, installing under /usr, made here in the root.
deb: build
	rm -f $(BUILD)/tracewell_*.deb
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/tracewell_*.deb .

# Hardening: the sanitizer suite, static analysis, formatting and fuzzing (clang 14, clang-tidy,
# cppcheck, clang-format).
SANITIZE_BUILD ?= build-sanitize
TSAN_BUILD ?= build-tsan
LINT_BUILD ?= build-lint
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CORPUS ?= fuzz/corpus
FUZZ_ARTIFACTS ?= fuzz/artifacts
FUZZ_TARGETS ?=

dev-deps:
	@scripts/install-deps --dev

# Every test built with AddressSanitizer and UndefinedBehaviorSanitizer; the first report fails the run.
# The benchmark is not built here: the Release build keeps it compiling, and it measures nothing here.
test-sanitize: deps dev-deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTRACEWELL_SANITIZE=ON -DTRACEWELL_BENCH=OFF
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# The output run, the end-to-end tests and the pieces that run maps side by side (the map run and its
# jobs, the diff and check runs, the pool, the compact encoder's bands), built with ThreadSanitizer;
# the first data race fails the run. The heavy pixel tests gain nothing here and are left out. At -O1,
# which ThreadSanitizer suggests, the build is shorter than at -O2 and the stacks stay readable.
TSAN_TESTS ?= OutputRun|MapRun|MapsInFlight|MapJobs|EndToEnd|Revisions|CheckRun|OrderedPool|CompactPng\.Bands
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACEWELL_TSAN=ON \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO='-O1 -g -DNDEBUG'
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tracewell tests_app tests_support tests_render
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -LE heavy -R '$(TSAN_TESTS)'

# clang-tidy (checks and reasons in .clang-tidy) and cppcheck over src/; any finding fails.
# cppcheck leaves out two style ids that are matters of taste here: useStlAlgorithm (plain
# loops are the house style) and shadowFunction (locals named after an accessor).
LINT_SOURCES = $(sort $(wildcard src/*/*.cpp))
lint: SHELL := /bin/bash
lint: .SHELLFLAGS := -o pipefail -c
lint: deps dev-deps
	cmake -S . -B $(LINT_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTRACEWELL_TESTS=OFF >/dev/null
	printf '%s\n' $(LINT_SOURCES) | xargs -P $(JOBS) -n 4 clang-tidy -p $(LINT_BUILD) --quiet 2>&1 \
	  | { grep -v ' warnings\? generated\.$$' || true; }
	cppcheck --std=c++20 --language=c++ --enable=warning,style,performance,portability \
	  --inline-suppr --quiet --error-exitcode=1 -I src \
	  --suppress=missingIncludeSystem --suppress=useStlAlgorithm --suppress=shadowFunction \
	  --template='{file}:{line}: {severity}: {message} [{id}]' src

# clang-format (.clang-format at the root) over every C++ file of src, tests, bench and fuzz:
# format-check fails on any file that is not formatted, format rewrites them in place.
FORMAT_SOURCES = $(sort $(wildcard src/*/*.cpp src/*/*.h tests/*/*.cpp tests/*/*.h \
  bench/*.cpp bench/*.h fuzz/*.cpp fuzz/*.h))
format-check: dev-deps
	clang-format --dry-run --Werror $(FORMAT_SOURCES)

format: dev-deps
	clang-format -i $(FORMAT_SOURCES)

# Builds the fuzz targets (fuzz/CMakeLists.txt: clang 14, libFuzzer, ASan, UBSan) and runs each
# (FUZZ_TARGETS, default wad settings dialogue archive udmf batch diff) for FUZZ_SECONDS; new inputs go to
# FUZZ_CORPUS/<target>, failing ones to FUZZ_ARTIFACTS, logs to FUZZ_BUILD/logs.
fuzz: deps dev-deps
	FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_CORPUS=$(FUZZ_CORPUS) FUZZ_ARTIFACTS=$(FUZZ_ARTIFACTS) JOBS=$(JOBS) \
	  fuzz/run $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The benchmark (bench/): every map of freedoom2.wad and pathological maps, timed against the
# cost of encoding the same PNG images with libpng alone; a table, then one SUMMARY line per
# figure with PASS or FAIL. Fails when a target is missed. BENCH_FLAGS: see bench/README.md.
BENCH_FLAGS ?=
bench: build
	cmake --build $(BUILD) -j $(JOBS) --target tracewell_bench
	./$(BUILD)/bench/tracewell_bench $(BENCH_FLAGS)
	/usr/bin/python3 bench/page_bench.py ./$(BUILD)/tracewell
