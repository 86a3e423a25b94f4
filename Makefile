# Front doors: `make run` opens the tool, `make test` passes every suite. Both install what is missing.
BUILD      ?= build
SANITIZE   ?= 0
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

CTEST_ARGS ?=
ifeq ($(SANITIZE),1)
  BUILD := build-sanitize
  CMAKE_ARGS += -DLUMO_SANITIZE=ON
endif
ifneq ($(CI),)
  CMAKE_ARGS += -DLUMO_WERROR=ON
endif

.PHONY: windows windows-test windows-package deps-windows
.PHONY: run test bench fuzz build deps-run deps-test deps-bench deps-fuzz clean \
  package package-test deps-package

deps-run:
	scripts/install-deps run
deps-test:
	scripts/install-deps test
deps-bench:
	scripts/install-deps bench
deps-fuzz:
	scripts/install-deps fuzz
deps-package:
	scripts/install-deps package

CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
TOOL_TARGETS = lumo-razazu QRCodeLib Lumo_Image_BmpJpg LumoPrinting LumoWindow

# The tool alone: a machine set up for running needs none of the test libraries.
run: deps-run
	test -f $(BUILD)/CMakeCache.txt || $(CONFIGURE) -DLUMO_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS) --target $(TOOL_TARGETS)
	scripts/run-tool $(BUILD)/bin/lumo-razazu

build: deps-test
	$(CONFIGURE) -DLUMO_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

# A real-window test that fails is run once more before it counts (an X server with no window
# manager now and then drops a synthetic key under load); ctest shows both runs.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600 --repeat until-pass:2 $(CTEST_ARGS)

bench: deps-bench
	$(CONFIGURE) -DLUMO_TESTS=ON -DLUMO_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	scripts/run-benchmarks $(BUILD)

# Every libFuzzer target for FUZZ_SECONDS, built with clang in its own folder; inputs that reach
# new code join tests/data/fuzz/<target>, which the test suites replay.
fuzz: deps-fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DLUMO_FUZZ=ON -DLUMO_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The Debian package, $(BUILD)/lumo-razazu_<version>_<arch>.deb; install it with
# sudo apt-get install ./$(BUILD)/lumo-razazu_*.deb
package: deps-package
	test -f $(BUILD)/CMakeCache.txt || $(CONFIGURE) -DLUMO_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack

# Installs that package on this machine (as root: apt-get, useradd), runs the real-window suites
# against it as the ordinary user lumo-tester, then purges it. Never part of `make test`.
SUDO = $(if $(filter 0,$(shell id -u)),,sudo)
package-test: build deps-package
	cd $(BUILD) && cpack
	tests/package/lint.sh $(BUILD)
	$(SUDO) tests/package/package-test.sh $(BUILD)

# The tool for 64-bit Windows, cross-built with MinGW-w64 into build-windows/bin: lumo-razazu.exe,
# QRCodeLib.dll, Lumo_Image_BmpJpg.dll, Qt's DLLs and plugins beside them. The third-party trees
# are built once per machine into ~/.cache/lumo-razazu (about 20 minutes for Qt on 2 cores).
WIN_BUILD ?= build-windows
deps-windows:
	scripts/install-deps windows
windows: deps-windows
	mkdir -p $(WIN_BUILD)
	nice -n 10 scripts/windows-thirdparty $(WIN_BUILD)/thirdparty.cmake
	# Third-party trees rebuilt under other options have other folders: configured afresh then.
	cmp -s $(WIN_BUILD)/thirdparty.cmake $(WIN_BUILD)/thirdparty.configured || rm -f $(WIN_BUILD)/CMakeCache.txt
	test -f $(WIN_BUILD)/CMakeCache.txt || { cmake -S . -B $(WIN_BUILD) -G Ninja -C $(WIN_BUILD)/thirdparty.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DLUMO_TESTS=ON && cp $(WIN_BUILD)/thirdparty.cmake $(WIN_BUILD)/thirdparty.configured; }
	cmake --build $(WIN_BUILD) -j $(JOBS)

# The unit and widget suites under wine64, then the real-window scripts, on a private Xvfb.
windows-test: windows
	scripts/windows-test $(WIN_BUILD)

# lumo-razazu-<version>-win64-setup.exe (NSIS through CPack), then its test: installed silently
# under Wine, the installed tool's command line, uninstalled, nothing but the person's data left.
windows-package: windows
	cd $(WIN_BUILD) && cpack
	tests/package/windows-package-test.sh $(WIN_BUILD)

clean:
	rm -rf build build-sanitize $(FUZZ_BUILD) $(WIN_BUILD)
