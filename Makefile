# Front door of the build.
#   make        builds dist/KESMARD.dll and dist/host_console.exe
#   make demo   builds them and the virtual display, then plays a short scene
#               on the virtual display under Wine (tools/demo.sh)
#   make dist   builds them and packs the integrator's kit:
#               dist/KESMARD-<version>-win32.zip
#   make test   builds them, then runs every test (native unit tests, the
#               export table check and the end-to-end tests under Wine)
#   make bench  measures the module's cost per call under Wine
# Each installs what is missing on a Debian machine first.

WIN32_BUILD := build/win32
NATIVE_BUILD := build/native
JOBS ?= $(shell nproc)

WIN32_CONFIGURE := cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	-DCMAKE_BUILD_TYPE=Release
NATIVE_CONFIGURE := cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	-DWIN32_BUILD_DIR=$(abspath $(WIN32_BUILD))

.PHONY: all demo dist test bench clean

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
	@tools/demo.sh

dist: all
	cmake --build $(WIN32_BUILD) --target dist

test: all
	@cmake/install-deps.sh test
	$(NATIVE_CONFIGURE)
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure

# Not part of the tests: the module's cost per call against a raw write.
bench: all
	@cmake/install-deps.sh test
	KESMARD_DRAIN_LINE=1 tests/e2e/run_on_line.sh $(WIN32_BUILD)/display_bench.exe dist/KESMARD.dll

clean:
	rm -rf build dist
