# The two commands of the README: `make run` builds and starts the program, `make test` builds and
# runs every test. Both install the Debian packages they need first.
JOBS ?= $(shell nproc)
# Extra cache settings for every configure, e.g. CMAKE_FLAGS=-DPAGELUME_WARNINGS_AS_ERRORS=ON (CI).
CMAKE_FLAGS ?=

.PHONY: deps run test test-sanitize test-windows bench package package-windows clean

deps:
	@bash tools/install-deps.sh

run: deps
	cmake --preset release $(CMAKE_FLAGS)
	cmake --build --preset release -j $(JOBS)
	./build/release/src/app/pagelume

test: deps
	cmake --preset release $(CMAKE_FLAGS)
	cmake --build --preset release -j $(JOBS)
	ctest --preset release

test-sanitize: deps
	cmake --preset sanitize $(CMAKE_FLAGS)
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize

# The Windows build without the window program, cross-compiled with MinGW-w64; its tests run under
# Wine in a throw-away prefix, and its converter must write what the Linux one writes.
test-windows:
	@bash tools/install-deps.sh --windows
	cmake --preset windows-cross $(CMAKE_FLAGS)
	cmake --build --preset windows-cross -j $(JOBS)
	cmake --preset release $(CMAKE_FLAGS)
	cmake --build --preset release -j $(JOBS) --target pagelume-convert
	bash tests/windows/test-under-wine.sh

bench: deps
	cmake --preset release $(CMAKE_FLAGS)
	cmake --build --preset release -j $(JOBS) --target engine_bench
	./build/release/bench/engine_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

# The Debian package build/release/pagelume_<version>_amd64.deb. The prefix /usr is compiled in
# (where the installed program finds its readme), so it stays in build/release's cache.
package:
	@bash tools/install-deps.sh --package-tools
	cmake --preset release $(CMAKE_FLAGS) -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build --preset release -j $(JOBS)
	cd build/release && cpack -G DEB

# The Windows download, pagelume-<version>-win64.zip, from the cross build.
package-windows:
	@bash tools/install-deps.sh --windows
	cmake --preset windows-cross $(CMAKE_FLAGS)
	cmake --build --preset windows-cross -j $(JOBS)
	cd build/windows-cross && cpack -G ZIP

clean:
	rm -rf build
