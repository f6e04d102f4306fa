# Front door of the build, over the presets of CMakePresets.json (win32,
# win64, native, sanitize: one build folder each under build/).
#   make        builds dist/KESMARD.dll, dist/host_console.exe and
#               dist/virtual_display.exe, and the same three for 64-bit
#               hosts in dist/x64/
#   make demo   builds them and the Linux virtual display, then plays a short scene
#               on the virtual display under Wine (tools/demo/demo.sh)
#   make dist   builds them and packs the integrator's kits with CPack:
#               dist/KESMARD-<version>-win32.zip, dist/x64/KESMARD-<version>-win64.zip,
#               and the npm package with both DLLs and the native tree's
#               libKESMARD.so, dist/kesmard-<version>.tgz; and the Linux kit,
#               libKESMARD.so and its tools (dist/linux-x86_64/),
#               dist/KESMARD-<version>-linux-x86_64.tar.gz
#   make test   builds them, then runs every test of the four trees (each
#               Windows tree: export table, kit, reproducibility and the
#               end-to-end tests under Wine, 32-bit or 64-bit; the native tree: unit tests and
#               the demo; the sanitizer tree: unit tests and fuzz targets
#               under ASan and UBSan)
#   make fuzz   runs only the fuzz targets, FUZZ_SECONDS each
#               (FUZZ_SECONDS=600 make fuzz)
#   make bench  measures the module's cost per call under Wine
#               (make bench ARCH=x64 for the 64-bit module; make bench
#               ARCH=linux for libKESMARD.so natively, from the native tree)
# Each installs what is missing on a Debian machine first.

JOBS ?= $(shell nproc)
# Given, it overrides the sanitize preset's 30 seconds.
FUZZ_OPTION := $(if $(FUZZ_SECONDS),-DFUZZ_SECONDS=$(FUZZ_SECONDS))

.PHONY: all demo dist test fuzz sanitized bench clean

all:
	@cmake/install-deps.sh build
	cmake --preset win32
	cmake --build --preset win32 -j $(JOBS)
	cmake --preset win64
	cmake --build --preset win64 -j $(JOBS)

# Builds quietly (errors still show), so the scene is what the screen shows.
demo:
	@cmake/install-deps.sh demo
	@echo "building the module, the host console and the virtual display"
	@cmake --preset win32 >/dev/null && cmake --build --preset win32 -j $(JOBS) >/dev/null
	@cmake --preset win64 >/dev/null && cmake --build --preset win64 -j $(JOBS) >/dev/null
	@cmake --preset native >/dev/null && \
		cmake --build --preset native --target virtual_display -j $(JOBS) >/dev/null
	@tools/demo/demo.sh

dist: all
	@cmake/install-deps.sh dist
	cmake --build --preset win32 --target package
	cmake --build --preset win64 --target package
	cmake --preset native
	cmake --build --preset native --target linux_kit -j $(JOBS)
	cmake -P cmake/node_package.cmake

# The Wine tests run one at a time (one prefix, and timing-sensitive).
test: all sanitized
	cmake --preset native
	cmake --build --preset native -j $(JOBS)
	ctest --preset win32
	ctest --preset win64
	ctest --preset native
	ctest --preset sanitize -j $(JOBS)

fuzz: sanitized
	ctest --preset sanitize -L fuzz -j $(JOBS)

# The clang build under the sanitizers, with the fuzz targets.
sanitized:
	@cmake/install-deps.sh test
	cmake --preset sanitize $(FUZZ_OPTION)
	cmake --build --preset sanitize -j $(JOBS)

# Not part of the tests: the module's cost per call against a raw write,
# for the 32-bit module (ARCH=x86, the default), the 64-bit one (ARCH=x64)
# or the Linux library (ARCH=linux), each on the line runner's pty pair.
ARCH ?= x86
ifeq ($(ARCH),linux)
bench:
	@cmake/install-deps.sh test
	cmake --preset native
	cmake --build --preset native --target display_bench -j $(JOBS)
	KESMARD_DRAIN_LINE=1 tests/e2e/run_on_line.sh \
		build/native/display_bench dist/linux-x86_64/libKESMARD.so $(BENCH_ARGS)
else
BENCH_TREE := $(if $(filter x64,$(ARCH)),win64,win32)
BENCH_DIST := $(if $(filter x64,$(ARCH)),dist/x64,dist)
bench: all
	@cmake/install-deps.sh test
	KESMARD_DRAIN_LINE=1 KESMARD_WINEARCH=$(BENCH_TREE) tests/e2e/run_on_line.sh \
		build/$(BENCH_TREE)/display_bench.exe $(BENCH_DIST)/KESMARD.dll $(BENCH_ARGS)
endif

clean:
	rm -rf build dist
