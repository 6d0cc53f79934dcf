# The two ways into Pellmark: `make run` and `make test`. Both install what is
# missing first, so they work on a fresh Debian machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
DEMO_CLUB ?= demo-club
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 600

.PHONY: run test deps build fuzz crash-sweep

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The crash tests of `make test` kill the big operations at every few file
# changes only; this kills every operation at every one of them (and fills the
# disk from every one on).
crash-sweep: build
	cd $(BUILD_DIR) && PELLMARK_CRASH_SWEEP=all tests/books/books_tests --gtest_filter='*CrashSweep*:ClubCreation*'

run: build
	@[ -d $(DEMO_CLUB) ] || $(BUILD_DIR)/src/cli/pellmark-cli demo $(DEMO_CLUB)
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/src/app/pellmark --club $(DEMO_CLUB); \
	else \
	  echo "No display found: showing the demo club from the command line instead."; \
	  $(BUILD_DIR)/src/cli/pellmark-cli --club $(DEMO_CLUB) info && echo && \
	  $(BUILD_DIR)/src/cli/pellmark-cli --club $(DEMO_CLUB) members; \
	fi

# Builds the libFuzzer targets with clang in their own folder and runs each for
# FUZZ_SECONDS: the store's container loader, the record codecs, the club's
# commit record, the price import reader, the valuation statement reader, then
# the matcher of the quote service's reply; findings land in $(FUZZ_DIR).
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DPELLMARK_BUILD_FUZZ=ON -DPELLMARK_BUILD_UI=OFF -DPELLMARK_BUILD_TESTS=OFF -DPELLMARK_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) --target store_container_fuzz record_codec_fuzz commit_record_fuzz price_import_fuzz \
	  statement_file_fuzz quote_reply_fuzz -j $(JOBS)
	mkdir -p $(FUZZ_DIR)/corpus/container $(FUZZ_DIR)/corpus/records
	cd $(FUZZ_DIR) && ./fuzz/store_container_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  corpus/container $(CURDIR)/fuzz/corpus/container
	cd $(FUZZ_DIR) && ./fuzz/record_codec_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 corpus/records
	mkdir -p $(FUZZ_DIR)/corpus/commits
	cd $(FUZZ_DIR) && ./fuzz/commit_record_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 corpus/commits
	mkdir -p $(FUZZ_DIR)/corpus/prices
	cd $(FUZZ_DIR) && ./fuzz/price_import_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  corpus/prices $(CURDIR)/fuzz/corpus/prices
	mkdir -p $(FUZZ_DIR)/corpus/statements
	cd $(FUZZ_DIR) && ./fuzz/statement_file_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 corpus/statements
	mkdir -p $(FUZZ_DIR)/corpus/quotes
	cd $(FUZZ_DIR) && ./fuzz/quote_reply_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  corpus/quotes $(CURDIR)/fuzz/corpus/quotes
