#include "port/Result.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Base {
    virtual ~Base() = default;
    virtual int id() const = 0;
};
struct Derived : Base {
    int id() const override { return 7; }
};

port::Result<std::unique_ptr<Base>> make(bool succeed) {
    if (!succeed)
        return port::fail("");
    return std::make_unique<Derived>();
}

TEST(Result, FailureKeepsItsTextAndIsNeverASuccess) {
    // An empty text is a failure too: success is never told by the text.
    for (const std::string& text :
         std::vector<std::string>{"", "ファイルに書き込めません。", std::string(1000, 'x')}) {
        const port::Result<std::string> value = port::fail(text);
        const port::Result<void> none = port::fail(text);
        EXPECT_FALSE(value.ok()) << text;
        EXPECT_FALSE(none.ok()) << text;
        EXPECT_EQ(value.error(), text);
        EXPECT_EQ(none.error(), text);
        EXPECT_EQ(value.value_or("fallback"), "fallback");
    }
}

TEST(Result, SuccessHandsItsValueOver) {
    auto made = make(true);
    ASSERT_TRUE(made.ok());
    std::unique_ptr<Base> taken = std::move(made).value();
    ASSERT_NE(taken, nullptr) << "a move-only value moves out whole";
    EXPECT_EQ(taken->id(), 7);
    EXPECT_FALSE(make(false).ok()) << "null is never made a success";

    // Values that look like failures elsewhere (empty, zero) are successes here.
    const port::Result<std::string> empty = std::string();
    const port::Result<std::uint32_t> zero = 0u;
    const port::Result<std::vector<std::string>> none = std::vector<std::string>{};
    EXPECT_TRUE(empty.ok() && zero.ok() && none.ok());
    EXPECT_EQ(empty.error(), "");
    EXPECT_EQ(zero.value_or(5u), 0u);
    EXPECT_TRUE(port::Result<void>().ok());
}

TEST(ResultDeathTest, AFailureHasNoValueToRead) {
    EXPECT_DEATH(
        {
            port::Result<std::string> failed = port::fail("gone");
            std::string read = failed.value();
            (void)read;
        },
        "");
}

} // namespace
