// The picture options: the font block, the DIN proportion, bitmap sizes and
// the file formats of exported pictures.
#include "diagram/picture_options.h"

#include "model/file_names.h"

#include <gtest/gtest.h>

namespace vemra {
namespace {

TEST(PictureOptions, FontBlockRoundTrip)
{
    FontSetting f;
    f.Color = 0x00123456;
    f.Height = -13;
    f.Size = 10;
    f.Style = FontSetting::Bold | FontSetting::Underline;
    f.Name = "Grüne Schrift";
    const auto block = f.toBlock();
    ASSERT_EQ(block.size(), 272u);
    EXPECT_EQ(block[8], 10);
    EXPECT_EQ(block[12], 5);
    EXPECT_EQ(block[13], 13); // "ü" is one byte on disk
    EXPECT_EQ(block[16], 0xFC);
    EXPECT_EQ(FontSetting::fromBlock(block.data(), block.size()), f);

    // A value of another size is not read at all.
    EXPECT_FALSE(FontSetting::fromBlock(block.data(), 271));
    EXPECT_FALSE(FontSetting::fromBlock(block.data(), 28));
    // A long name is cut to what the length byte can say.
    f.Name = std::string(300, 'x');
    const auto longBlock = f.toBlock();
    EXPECT_EQ(FontSetting::fromBlock(longBlock.data(), longBlock.size())->Name.size(), 255u);
}

TEST(PictureOptions, DinProportion)
{
    struct Case {
        int width, height;
        bool landscape;
        SizeField changed;
        PictureSize result;
    };
    const Case cases[] = {
        {100, 150, false, SizeField::Width, {100, 141}},
        {150, 150, false, SizeField::Width, {141, 200}},
        {200, 150, true, SizeField::Width, {200, 141}},
        {100, 100, true, SizeField::Height, {141, 100}},
        {100, 150, true, SizeField::Height, {200, 141}},
        {100, 170, false, SizeField::Height, {120, 170}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dinAdjust(c.width, c.height, c.landscape, c.changed), c.result)
            << c.width << " x " << c.height << (c.landscape ? " landscape" : "");
}

TEST(PictureOptions, BitmapSizes)
{
    EXPECT_EQ(bitmapScale(0, 96), 1.0);
    EXPECT_DOUBLE_EQ(bitmapScale(1, 96), 1.875);
    EXPECT_DOUBLE_EQ(bitmapScale(2, 96), 3.125);
    EXPECT_EQ(bitmapPixels(100, 150, 96, 1.0), (PictureSize{378, 567}));
    EXPECT_EQ(bitmapPixels(100, 150, 96, 3.125), (PictureSize{1181, 1772}));
}

TEST(PictureOptions, FormatsAndFileNames)
{
    // Upper or lower case; a ".wmf" name gets an enhanced metafile.
    EXPECT_EQ(pictureFormatFor(".WMF"), PictureFormat::Emf);
    EXPECT_EQ(pictureFormatFor(".Bmp"), PictureFormat::Bmp);
    EXPECT_EQ(pictureFormatFor(".gif"), PictureFormat::Unknown);

    // A name typed without extension takes the one of the file type chosen
    // in the dialog, and that names a format the picture can be saved in.
    const FileDialogRequest request = pictureSaveRequest({});
    EXPECT_EQ(request.title, "Grafik sichern");
    EXPECT_EQ(request.placeKey, "Picture");
    ASSERT_EQ(request.filters.size(), PictureFilters.size());
    for (size_t i = 0; i < PictureFilters.size(); ++i) {
        SCOPED_TRACE(PictureFilters[i].caption);
        EXPECT_EQ(patternExtension(request.filters[i].second), PictureFilters[i].extension);
        EXPECT_NE(pictureFormatFor(PictureFilters[i].extension), PictureFormat::Unknown);
    }
    EXPECT_EQ(std::string(PictureFilters[2].caption), "Enhanced  Metafile (*.emf)");

    EXPECT_EQ(unknownFormatMessage(".gif"), "Unbekanntes Format: .gif\rDie Grafik wurde nicht gesichert.");
}

} // namespace
} // namespace vemra
