// The module loader on small modules of the test's own, built beside it with the program's version, another
// version and none.
#include "platform/linux/ProgramModule.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

using Answer = int();

TEST(ProgramModuleTest, OnlyAModuleOfTheProgramsVersionIsUsed) {
    const struct {
        const char* file;
        const char* symbol;
        int answer; // what the entry returns, 0 when none is to be found
        ModuleRefusal refusal;
        const char* detail; // part of the reason given otherwise
    } cases[] = {
        {"libzelto-test-same.so", "zelto_test_entry", 42, ModuleRefusal::Unusable, ""},
        {"libzelto-test-same.so", "zelto_no_such_entry", 0, ModuleRefusal::Unusable, "zelto_no_such_entry"},
        {"libzelto-test-other.so", "zelto_test_entry", 0, ModuleRefusal::Unusable,
         "is version 0.0.0-other, the program is version " ZELTO_VERSION},
        {"libzelto-test-none.so", "zelto_test_entry", 0, ModuleRefusal::Unusable, "carries no version"},
        {"libzelto-test-missing.so", "zelto_test_entry", 0, ModuleRefusal::NotInstalled, "libzelto-test-missing.so"},
    };
    for (const auto& c : cases) {
        ModuleProblem problem;
        auto* entry = reinterpret_cast<Answer*>(FindModuleSymbol(ZELTO_TEST_MODULE_DIR, c.file, c.symbol, problem));
        if (c.answer) {
            ASSERT_NE(entry, nullptr) << c.file << ": " << problem.detail;
            EXPECT_EQ(entry(), c.answer);
        } else {
            EXPECT_EQ(entry, nullptr) << c.file;
            EXPECT_EQ(problem.refusal, c.refusal) << c.file;
            EXPECT_NE(problem.detail.find(c.detail), std::string::npos) << c.file << ": " << problem.detail;
        }
    }
}

} // namespace
} // namespace zelto
