#include "scenes/LoadingView.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(LoadingViewTest, WaitingShowsLoadingTheSkyWithOneEllipsisCharacter) {
    const std::string text = LoadingView().text();
    EXPECT_EQ(text, "Loading the sky\xE2\x80\xA6");
    EXPECT_EQ(text.size(), 18u) << "bytes in UTF-8";
    EXPECT_EQ(text.find("..."), std::string::npos);
    std::size_t characters = 0;
    for (const unsigned char byte : text)
        characters += (byte & 0xC0) != 0x80;
    EXPECT_EQ(characters, 16u);
}

TEST(LoadingViewTest, AnErrorShowsItsDescriptionAboveTheRequestToCheckTheSettings) {
    {
        SCOPED_TRACE("the missing location");
        const LoadingView view(std::string("Missing location preference."));
        EXPECT_EQ(view.text(), "Missing location preference.\nPlease check your settings.");
    }
    {
        SCOPED_TRACE("an empty description still gives the request on its own line");
        EXPECT_EQ(LoadingView(std::string()).text(), "\nPlease check your settings.");
    }
    {
        SCOPED_TRACE("shown verbatim");
        EXPECT_EQ(LoadingView(std::string("%@ 100% \n")).text(),
                  "%@ 100% \n\nPlease check your settings.");
    }
}
