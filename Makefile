# Front door of the build, over the presets of CMakePresets.json (win32,
# native, sanitize: one build folder each under build/).
#   make        builds dist/KESMARD.dll, dist/host_console.exe and
#               dist/virtual_display.exe
#   make demo   builds them and the Linux virtual display, then plays a short scene
#               on the virtual display under Wine (tools/demo/demo.sh)
#   make dist   builds them and packs the integrator's kit with CPack:
#               dist/KESMARD-<version>-win32.zip
#   make test   builds them, then runs every test of the three trees (the
#               Windows tree: export table, kit, reproducibility and the
#               end-to-end tests under Wine; the native tree: unit tests and
#               the demo; the sanitizer tree: unit tests and fuzz targets
#               under ASan and UBSan)
#   make fuzz   runs only the fuzz targets, FUZZ_SECONDS each
#               (FUZZ_SECONDS=600 make fuzz)
#   make bench  measures the module's cost per call under Wine
# Each installs what is missing on a Debian machine first.

JOBS ?= $(shell nproc)
# Given, it overrides the sanitize preset's 30 seconds.
FUZZ_OPTION := $(if $(FUZZ_SECONDS),-DFUZZ_SECONDS=$(FUZZ_SECONDS))

.PHONY: all demo dist test fuzz sanitized bench clean

all:
	@cmake/install-deps.sh build
	cmake --preset win32
	cmake --build --preset win32 -j $(JOBS)

# Builds quietly (errors still show), so the scene is what the screen shows.
demo:
	@cmake/install-deps.sh demo
	@echo "building the module, the host console and the virtual display"
	@cmake --preset win32 >/dev/null && cmake --build --preset win32 -j $(JOBS) >/dev/null
	@cmake --preset native >/dev/null && \
		cmake --build --preset native --target virtual_display -j $(JOBS) >/dev/null
	@tools/demo/demo.sh

dist: all
	cmake --build --preset win32 --target package

# The Wine tests run one at a time (one prefix, and timing-sensitive).
test: all sanitized
	cmake --preset native
	cmake --build --preset native -j $(JOBS)
	ctest --preset win32
	ctest --preset native
	ctest --preset sanitize -j $(JOBS)

fuzz: sanitized
	ctest --preset sanitize -L fuzz -j $(JOBS)

# The clang build under the sanitizers, with the fuzz targets.
sanitized:
	@cmake/install-deps.sh test
	cmake --preset sanitize $(FUZZ_OPTION)
	cmake --build --preset sanitize -j $(JOBS)

# Not part of the tests: the module's cost per call against a raw write.
bench: all
	@cmake/install-deps.sh test
	KESMARD_DRAIN_LINE=1 tests/e2e/run_on_line.sh build/win32/display_bench.exe dist/KESMARD.dll $(BENCH_ARGS)

clean:
	rm -rf build dist
