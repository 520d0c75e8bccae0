# Wraps the CMake presets for the everyday commands; each one first installs
# whatever Debian packages it needs and the machine lacks.
DIR ?= .

BUILD_PACKAGES := g++ cmake make pkg-config liballegro4-dev
TEST_PACKAGES := $(BUILD_PACKAGES) libgtest-dev
WINDOWS_PACKAGES := g++-mingw-w64-i686 cmake make

.PHONY: run test windows

run:
	scripts/install-missing $(BUILD_PACKAGES)
	cmake --preset default -DBUILD_TESTING=OFF
	cmake --build --preset default
	cd '$(DIR)' && '$(CURDIR)/build/dirlist'

test:
	scripts/install-missing $(TEST_PACKAGES)
	cmake --preset default -DBUILD_TESTING=ON
	cmake --build --preset default
	ctest --preset default

windows:
	scripts/install-missing $(WINDOWS_PACKAGES)
	scripts/build-allegro-windows build-windows/allegro
	cmake --preset windows
	cmake --build --preset windows
