# A thin front for CMake. `make` builds both Windows programs and the unit
# tests; `make test` builds and runs every test.

.PHONY: all bootstrap win32 win64 host test clean

all: win32 win64 host

bootstrap:
	@sh tools/bootstrap.sh

win32 win64 host: bootstrap
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j 2

test: all
	ctest --preset host

clean:
	rm -rf build
