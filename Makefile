# Lumo's make targets. `make run` and `make test` install what is missing first.

BUILD := build
ASAN_BUILD := build-asan
TSAN_BUILD := build-tsan
FUZZ_BUILD := build-fuzz
BENCH_BUILD := build-bench
PACKAGE_BUILD := build-package
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := decode_memory decode_file decode_format load_collection metafile_player thumbnail_cache
# The ThreadSanitizer build runs the tests of everything a decoding thread
# touches, less the corpus comparisons, which start no thread and cost most.
TSAN_TESTS := lumo_platform_tests lumo_picture_tests lumo_document_tests
TSAN_SKIPPED := Corpus
CMAKE := cmake -G Ninja -Wno-dev

.PHONY: deps build run test install package bench fuzz samples clean

deps:
	@./scripts/install-deps

build: deps
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	cmake --build $(BUILD)

# Starts Lumo on a collection of the bundled samples; under Xvfb when there is no display.
run: build
	@./$(BUILD)/tools/lumopic/lumopic collect $(BUILD)/samples.kir $(CURDIR)/samples
	@if [ -n "$$DISPLAY" ]; then ./$(BUILD)/app/lumo $(BUILD)/samples.kir; \
	else xvfb-run -a -s "-screen 0 1280x1024x24" ./$(BUILD)/app/lumo $(BUILD)/samples.kir; fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j 2
	@$(CMAKE) -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMO_SANITIZE=ON > /dev/null
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j 2
	@$(CMAKE) -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMO_TSAN=ON > /dev/null
	cmake --build $(TSAN_BUILD) --target $(TSAN_TESTS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
		ctest --test-dir $(TSAN_BUILD) --output-on-failure -j 2 -E '$(TSAN_SKIPPED)'
	@$(MAKE) --no-print-directory package
	./tests/install/check-package lumo_*.deb $(CURDIR)

# Installs the programs and their desktop files under PREFIX (and DESTDIR).
# Installed for real, the file types and the menu's types are made known at once.
install: deps
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	cmake --build $(BUILD) --target lumo_installed
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then \
		update-mime-database "$(PREFIX)/share/mime"; \
		update-desktop-database -q "$(PREFIX)/share/applications"; \
	fi

# Builds lumo_<version>_<arch>.deb here, from an optimised build of its own.
package: deps
	@$(CMAKE) -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release > /dev/null
	cmake --build $(PACKAGE_BUILD) --target lumo_installed
	rm -f $(PACKAGE_BUILD)/lumo_*.deb lumo_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	cp $(PACKAGE_BUILD)/lumo_*.deb .

bench: deps
	@$(CMAKE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DLUMO_BENCH=ON > /dev/null
	cmake --build $(BENCH_BUILD) --target lumo_bench
	./$(BENCH_BUILD)/bench/lumo_bench

fuzz: deps
	@CC=clang CXX=clang++ $(CMAKE) -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMO_FUZZ=ON > /dev/null
	cmake --build $(FUZZ_BUILD)
	@for target in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_BUILD)/corpus/$$target fuzz/findings/$$target; \
		echo "fuzzing $$target for $(FUZZ_SECONDS) s"; \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		./$(FUZZ_BUILD)/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 \
			-artifact_prefix=fuzz/findings/$$target/ $(FUZZ_BUILD)/corpus/$$target fuzz/corpus/$$target \
			|| exit 1; \
	done

# Rewrites the bundled sample pictures and the fuzzing seeds with the test writers.
samples: build
	./$(BUILD)/tests/lumo_make_fixtures samples fuzz/corpus
	./$(BUILD)/tests/lumo_make_cache_seeds fuzz/corpus/thumbnail_cache

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD) lumo_*.deb
