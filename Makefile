# Front door of the build.
#   make        builds dist/KESMARD.dll and dist/host_console.exe
#   make demo   builds them and the virtual display, then plays a short scene
#               on the virtual display under Wine (tools/demo/demo.sh)
#   make dist   builds them and packs the integrator's kit:
#               dist/KESMARD-<version>-win32.zip
#   make test   builds them, then runs every test (native unit tests, the
#               export table check, the end-to-end tests under Wine, and the
#               unit tests and fuzz targets under ASan and UBSan)
#   make fuzz   runs only the fuzz targets, FUZZ_SECONDS each
#               (FUZZ_SECONDS=600 make fuzz)
#   make bench  measures the module's cost per call under Wine
# Each installs what is missing on a Debian machine first.

WIN32_BUILD := build/win32
NATIVE_BUILD := build/native
SANITIZE_BUILD := build/sanitize
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

WIN32_CONFIGURE := cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	-DCMAKE_BUILD_TYPE=Release
NATIVE_CONFIGURE := cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug

.PHONY: all demo dist test fuzz sanitized bench clean

all:
	@cmake/install-deps.sh build
	$(WIN32_CONFIGURE)
	cmake --build $(WIN32_BUILD) -j $(JOBS)

# Builds quietly (errors still show), so the scene is what the screen shows.
demo:
	@cmake/install-deps.sh demo
	@echo "building the module, the host console and the virtual display"
	@$(WIN32_CONFIGURE) >/dev/null && cmake --build $(WIN32_BUILD) -j $(JOBS) >/dev/null
	@$(NATIVE_CONFIGURE) >/dev/null && \
		cmake --build $(NATIVE_BUILD) --target virtual_display -j $(JOBS) >/dev/null
	@tools/demo/demo.sh

dist: all
	cmake --build $(WIN32_BUILD) --target package

test: all sanitized
	$(NATIVE_CONFIGURE)
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
	ctest --test-dir $(WIN32_BUILD) --output-on-failure
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

fuzz: sanitized
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -L fuzz -j $(JOBS)

# The clang build under the sanitizers, with the fuzz targets.
sanitized:
	@cmake/install-deps.sh test
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DKESMARD_SANITIZE=ON -DFUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)

# Not part of the tests: the module's cost per call against a raw write.
bench: all
	@cmake/install-deps.sh test
	KESMARD_DRAIN_LINE=1 tests/e2e/run_on_line.sh $(WIN32_BUILD)/display_bench.exe dist/KESMARD.dll $(BENCH_ARGS)

clean:
	rm -rf build dist
