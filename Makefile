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

# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in their own folder and runs each for
# FUZZ_SECONDS from its corpus in fuzz/corpus (kept in the repository, small)
# plus what earlier runs found in $(FUZZ_DIR): the store's container loader,
# the record codecs, the club's commit record, the journal reader, the price
# import reader, the valuation statement reader, the matcher of the quote
# service's reply and of the mail server's replies, the readers of the text
# imports and of NAIC files, then the tax file reader; findings land in $(FUZZ_DIR).
FUZZ_TARGETS = store_container_fuzz:container record_codec_fuzz:records commit_record_fuzz:commits \
  price_import_fuzz:prices statement_file_fuzz:statements quote_reply_fuzz:quotes journal_fuzz:journal \
  smtp_reply_fuzz:smtp text_import_fuzz:text_imports naic_import_fuzz:naic_imports tax_file_fuzz:taxes
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DPELLMARK_BUILD_FUZZ=ON -DPELLMARK_BUILD_UI=OFF -DPELLMARK_BUILD_TESTS=OFF -DPELLMARK_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) --target $(foreach t,$(FUZZ_TARGETS),$(firstword $(subst :, ,$(t)))) -j $(JOBS)
	@set -e; for pair in $(FUZZ_TARGETS); do \
	  target=$${pair%%:*}; corpus=$${pair##*:}; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$corpus; \
	  (cd $(FUZZ_DIR) && ./fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    corpus/$$corpus $(CURDIR)/fuzz/corpus/$$corpus); \
	done
