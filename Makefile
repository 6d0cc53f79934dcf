# The two ways into Pellmark: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
DEMO_CLUB ?= demo-club

.PHONY: run test deps build fuzz

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

run: build
	@[ -d $(DEMO_CLUB) ] || $(BUILD_DIR)/src/cli/pellmark-cli demo $(DEMO_CLUB)
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/src/app/pellmark --club $(DEMO_CLUB); \
	else \
	  echo "No display found: showing the demo club from the command line instead."; \
	  $(BUILD_DIR)/src/cli/pellmark-cli --club $(DEMO_CLUB) info; \
	fi
