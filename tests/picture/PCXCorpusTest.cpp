// Real-world PCX files written by other programs: valid ones decode, broken
// ones fail cleanly.

#include <gtest/gtest.h>

#include "tests/support/Corpus.h"

TEST(PCXCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("pcx", {}, {});
}
