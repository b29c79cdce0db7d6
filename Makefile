# The two commands that do everything on a fresh machine: `make demo` and `make test`.
.PHONY: all demo test test-windows test-soak test-asan test-tsan fuzz release package clean

all: release

release:
	cmake --preset release
	cmake --build --preset release

# Lists the sample board with every field; the listing is code page 932, shown here in UTF-8.
demo: release
	./build/release/vireziriv /D:examples/board /N /F /I /G /K /B /R /H /P /Q | iconv -f CP932 -t UTF-8

test:
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

# The Windows stage alone: cross-build with MinGW-w64 and run the tests under Wine (as root on a
# fresh machine, since it installs what is missing).
test-windows:
	.ci/windows

# The command on a FUSE share that makes files busy, vanish, fail and change while they are read, and
# looks names up without case; natively and under Wine (.ci/soak, as root).
test-soak:
	.ci/soak

# Every unit and black-box test under AddressSanitizer and UndefinedBehaviorSanitizer (clang).
test-asan:
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Every unit and black-box test under ThreadSanitizer (clang): the person files are read on threads.
# The boards of one 100 MiB person file are left out: one file is read on one thread, and
# instrumented, reading it takes a minute.
test-tsan:
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

# Every fuzz target for FUZZ_SECONDS each (clang's libFuzzer); findings land in build/fuzz/findings.
FUZZ_SECONDS ?= 60
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz
	tests/fuzz/run-all $(FUZZ_SECONDS)

# The release files in build/package: the Windows installer and ZIP, the Debian package, the Linux
# tarball and their SHA256SUMS, the same bytes from every clone of a commit (their times are the
# commit's; outside a git checkout, now), and the release notes, the release's section of
# CHANGELOG.md. CPack's External generator, which makes the archives and the installer, also leaves a
# description of each in JSON: not a release file.
package: export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || date +%s)
package:
	rm -rf build/package
	cmake --preset package-linux --fresh
	cmake --build --preset package-linux
	cpack --preset package-linux
	cmake --preset package-windows --fresh
	cmake --build --preset package-windows
	cpack --preset package-windows
	rm build/package/*.json
	cp build/package-linux/packaging/RELEASE-NOTES.md build/package/
	cd build/package && sha256sum -- *.msi *.zip *.deb *.tar.gz > SHA256SUMS

clean:
	rm -rf build
