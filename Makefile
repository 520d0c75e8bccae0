# Wraps the CMake presets for the everyday commands; each one first installs
# whatever Debian packages it needs and the machine lacks.
DIR ?= .

BUILD_PACKAGES := g++ cmake make pkg-config liballegro4-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev valgrind dpkg-dev groff-base xvfb
LINT_PACKAGES := $(TEST_PACKAGES) clang-tidy clang-format cppcheck
WINDOWS_PACKAGES := g++-mingw-w64-i686 cmake make
# 64-bit Wine runs Wine's own tools natively; QEMU runs 32-bit Wine where
# the kernel cannot.
WINE_PACKAGES := wine wine32:i386 wine64 qemu-user-static

.PHONY: run test test-asan lint package windows test-windows

# Only the listing goes to standard output; the build reports on standard error.
run:
	@scripts/install-missing $(BUILD_PACKAGES) >&2
	@cmake --preset default -DBUILD_TESTING=OFF >&2
	@cmake --build --preset default >&2
	@cd '$(DIR)' && '$(CURDIR)/build/dirlist'

test:
	scripts/install-missing $(TEST_PACKAGES)
	cmake --preset default -DBUILD_TESTING=ON
	cmake --build --preset default
	ctest --preset default

test-asan:
	scripts/install-missing $(TEST_PACKAGES)
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Static analysis and formatting; every finding fails.
lint:
	scripts/install-missing $(LINT_PACKAGES)
	cmake --preset default -DBUILD_TESTING=ON
	cmake --build --preset default
	clang-tidy -p build --quiet src/*.cpp tests/*.cpp
	cppcheck -q --std=c++17 --library=googletest --enable=warning,style,performance,portability \
	  --error-exitcode=1 -I src --suppress=missingIncludeSystem --suppress=useStlAlgorithm src tests
	clang-format --dry-run -Werror src/*.cpp src/*.h tests/*.cpp tests/*.h

package:
	scripts/install-missing $(BUILD_PACKAGES) dpkg-dev
	cmake --preset default
	cmake --build --preset default
	cd build && cpack -G DEB

windows:
	scripts/install-missing $(WINDOWS_PACKAGES)
	scripts/build-allegro-windows build-windows/allegro
	cmake --preset windows
	cmake --build --preset windows

test-windows: windows
	scripts/install-missing $(WINE_PACKAGES)
	$(if $(filter 0,$(shell id -u)),,sudo) scripts/enable-i386-programs
	tests/windows_test.sh build-windows/dirlist.exe
