# A thin front for CMake. `make` builds both Windows programs and the unit
# tests; `make test` builds and runs every test; `make run ARGS=/iw` runs the
# shipped companion under Wine and shows what it changed (PROFILE=9x for the
# Windows 9x form). `make test-sanitize` runs the unit tests under ASan and
# UBSan, `make fuzz` fuzzes the command line for FUZZ_SECONDS, `make bench`
# prints the benchmark figures, and `make installer SCREEN_SAVER=...` builds
# the example installer.

FUZZ_SECONDS ?= 60

.PHONY: all bootstrap win32 win64 quiet-windows host host-sanitize test test-sanitize fuzz run bench installer clean

all: win32 win64 host

bootstrap:
	@sh tools/bootstrap.sh

win32 win64 host host-sanitize: bootstrap
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j 2

test: all
	ctest --preset host

test-sanitize: host-sanitize
	ctest --preset host-sanitize

# New inputs go to build/fuzz/corpus; the committed seeds are only read.
fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j 2
	mkdir -p build/fuzz/corpus
	build/fuzz/command_line_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
		-artifact_prefix=build/fuzz/ build/fuzz/corpus tests/fuzz/corpus

# run and bench build the Windows programs with the build's own output in
# build/windows-build.log, shown only when the build fails, so that what
# they print is their own report.
quiet-windows: bootstrap
	@mkdir -p build
	@{ for preset in win32 win64; do cmake --preset $$preset && cmake --build --preset $$preset -j 2 \
		|| exit 1; done; } >build/windows-build.log 2>&1 || { cat build/windows-build.log; exit 1; }

run: quiet-windows
	@/usr/bin/python3 tools/run_companion.py

bench: quiet-windows
	@/usr/bin/python3 tools/bench.py

# The example installer around the shipped exe and the publisher's own
# screen saver; there is no default, so no placeholder is ever shipped.
installer:
	@[ -n "$(SCREEN_SAVER)" ] || { echo "make installer: say which screen saver to ship:" \
		"make installer SCREEN_SAVER=path/to/Velmora.scr" >&2; exit 2; }
	@$(MAKE) --no-print-directory win32
	@/usr/bin/python3 tools/build_installer.py "$(SCREEN_SAVER)" build/installer/VelmoraSetup.exe

clean:
	rm -rf build
