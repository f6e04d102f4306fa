# Front door of the build.
#   make        builds dist/KESMARD.dll
#   make test   builds it, then runs every test (native unit tests, the
#               export table check and the end-to-end tests under Wine)
#   make bench  measures the module's cost per call under Wine
# Both install what is missing on a Debian machine first.

WIN32_BUILD := build/win32
NATIVE_BUILD := build/native
JOBS ?= $(shell nproc)

.PHONY: all test bench clean

all:
	@cmake/install-deps.sh build
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
		-DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32_BUILD) -j $(JOBS)

test: all
	@cmake/install-deps.sh test
	cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DWIN32_BUILD_DIR=$(abspath $(WIN32_BUILD))
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure

# Not part of the tests: the module's cost per call against a raw write.
bench: all
	@cmake/install-deps.sh test
	KESMARD_DRAIN_LINE=1 tests/e2e/run_on_line.sh $(WIN32_BUILD)/display_bench.exe dist/KESMARD.dll

clean:
	rm -rf build dist
