# Front door of the build.
#   make        builds dist/KESMARD.dll
#   make test   builds it, then runs every test (native unit tests, the
#               export table check, the end-to-end tests under Wine, and the
#               unit tests and fuzz targets under ASan and UBSan)
#   make fuzz   runs only the fuzz targets, FUZZ_SECONDS each
#               (FUZZ_SECONDS=600 make fuzz)
# All install what is missing on a Debian machine first.

WIN32_BUILD := build/win32
NATIVE_BUILD := build/native
SANITIZE_BUILD := build/sanitize
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all test fuzz sanitized clean

all:
	@cmake/install-deps.sh build
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
		-DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32_BUILD) -j $(JOBS)

test: all sanitized
	cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DWIN32_BUILD_DIR=$(abspath $(WIN32_BUILD))
	cmake --build $(NATIVE_BUILD) -j $(JOBS)
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

clean:
	rm -rf build dist
