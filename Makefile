# The two commands of the README: `make run` and `make test`.
PRESET ?= default

.PHONY: run test build deps package

deps:
	@scripts/install-deps

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)

test: build
	@ctest --preset $(PRESET)

run: build
	@scripts/run build

package: build
	@cd build && cpack -G DEB
