# A thin front for CMake. `make` builds both Windows programs and the unit
# tests; `make test` builds and runs every test; `make run ARGS=/iw` runs the
# companion under Wine and shows what it changed.

.PHONY: all bootstrap win32 win64 host test run bench clean

all: win32 win64 host

bootstrap:
	@sh tools/bootstrap.sh

win32 win64 host: bootstrap
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j 2

test: all
	ctest --preset host

run: win32 win64
	@/usr/bin/python3 tools/run_companion.py

bench: win32 win64
	@/usr/bin/python3 tools/bench.py

clean:
	rm -rf build
