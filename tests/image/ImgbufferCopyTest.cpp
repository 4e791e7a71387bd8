// Deep copies, taking over another buffer's pixels, and writing the
// metadata back into the header.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image/Imgbuffer.h"

namespace vargaze {
namespace {

TEST(ImgbufferDuplicate, CopiesPixelsAndTheListedFieldsOnly) {
  Timgbuffer img;
  ASSERT_EQ(img.init(3, 2, kPixel16), 0);
  for (int i = 0; i < 6; ++i) img.data16()[i] = static_cast<std::uint16_t>(1000 + i);
  img.Wordmode = false;
  img.bufferMax = 1005;
  img.bufferMin = 1000;
  img.Offset1 = 12.0;
  img.JDstart = 2460000.5;
  img.Datetime = "2023-10-05T21:13:45.250";
  img.Exposure = 30.0;
  img.FilterName = "V";
  img.FilterType = 3;
  img.PixScale = 1.7;
  img.headerlines = 12;
  img.Instrument = "cam";
  ASSERT_TRUE(setFitskey(img.fitsheader, "GAIN", "2"));
  img.Airmass = 1.3;
  img.filename = "/tmp/a.fit";
  img.ISOspeed = "800";
  img.OBSTYPE = "DSLR";
  img.Flipped = true;
  img.rotated = 2;
  img.postbinned = 2;
  img.flatcorrected = true;
  img.colorimages = 3;

  const auto copy = img.duplicate();
  ASSERT_NE(copy->bufferpointer, img.bufferpointer);
  EXPECT_EQ(std::memcmp(copy->bufferpointer.get(), img.bufferpointer.get(), 12), 0);
  EXPECT_EQ(copy->xsize, 3);
  EXPECT_EQ(copy->ysize, 2);
  EXPECT_EQ(copy->bufferMax, 1005);
  EXPECT_EQ(copy->bufferMin, 1000);
  EXPECT_EQ(copy->Offset1, 12.0);
  EXPECT_EQ(copy->JDstart, 2460000.5);
  EXPECT_EQ(copy->Datetime, img.Datetime);
  EXPECT_EQ(copy->FilterType, 3);
  EXPECT_EQ(copy->PixScale, 1.7);
  EXPECT_EQ(copy->headerlines, 12);
  EXPECT_EQ(copy->Instrument, "cam");
  EXPECT_EQ(copy->fitsheader, img.fitsheader);

  EXPECT_TRUE(copy->Wordmode);
  EXPECT_EQ(copy->Airmass, -1.0);
  EXPECT_EQ(copy->filename, "");
  EXPECT_EQ(copy->ISOspeed, "");
  EXPECT_EQ(copy->OBSTYPE, "CCD");
  EXPECT_FALSE(copy->Flipped);
  EXPECT_EQ(copy->rotated, 0);
  EXPECT_EQ(copy->postbinned, 1);
  EXPECT_FALSE(copy->flatcorrected);
  EXPECT_EQ(copy->colorimages, 0);

  copy->data16()[0] = 1;  // the copy owns its own pixels
  EXPECT_EQ(img.data16()[0], 1000);
}

TEST(ImgbufferDuplicate, EmptyBufferHasNoPixels) {
  const Timgbuffer img;
  EXPECT_EQ(img.duplicate()->bufferpointer, nullptr);
}

TEST(ImgbufferGettemp, TakesPixelsAndGeometryButNotHeaderOrOffset) {
  Timgbuffer img;
  ASSERT_EQ(img.init(2, 2, kPixel16), 0);
  img.Offset1 = 5.0;
  img.Wordmode = false;
  Timgbuffer temp;
  ASSERT_EQ(temp.init(3, 1, kPixel32), 0);
  temp.data32()[2] = -9;
  temp.bufferMax = 4;
  temp.bufferMin = -9;
  temp.ScaleFactor = 2.0;
  const FitsHeader header = img.fitsheader;

  img.gettemp(temp);
  EXPECT_EQ(img.xsize, 3);
  EXPECT_EQ(img.ysize, 1);
  EXPECT_EQ(img.bufferbyte, kPixel32);
  EXPECT_EQ(img.getpixel(3, 1), -9);
  EXPECT_EQ(img.bufferMax, 4);
  EXPECT_EQ(img.bufferMin, -9);
  EXPECT_EQ(img.ScaleFactor, 2.0);
  EXPECT_EQ(img.Offset1, 5.0);
  EXPECT_FALSE(img.Wordmode);
  EXPECT_EQ(img.fitsheader, header);
  EXPECT_EQ(temp.bufferpointer, nullptr);
  EXPECT_FALSE(temp.hasImage());
}

TEST(ImgbufferHeaderUpdate, WritesSizesDateExposureInstrumentAndFilter) {
  Timgbuffer img;
  ASSERT_EQ(img.init(640, 480, kPixel16), 0);
  img.Datetime = "2023-10-05T21:13:45.250";
  img.Exposure = 12.3456;
  img.Instrument = "ST-8";
  img.FilterName = "V";
  img.UpdateFitsHeader();

  const FitsHeader& h = img.fitsheader;
  bool error = true;
  EXPECT_EQ(getFitskeyInteger(h, "NAXIS1", error), 640);
  EXPECT_EQ(getFitskeyInteger(h, "NAXIS2", error), 480);
  // New cards follow the seven default cards in the order written.
  EXPECT_EQ(h.card(8).substr(0, 80),
            "DATE-OBS= '2023-10-05T21:13:45.250'/UT start date/time of observation" +
                std::string(11, ' '));
  EXPECT_EQ(h.card(9).substr(10, 70),
            "              12.346 /Exposure time in seconds" + std::string(24, ' '));
  EXPECT_EQ(h.card(10).substr(0, 16), "INSTRUME= 'ST-8'");
  EXPECT_EQ(h.card(11).substr(0, 13), "FILTER  = 'V'");
  EXPECT_EQ(h.endCard(), 12);  // no ISOSPEED card for an empty ISO speed
}

TEST(ImgbufferHeaderUpdate, UnknownDateWritesNoDateCardAndIsoSpeedIsPlain) {
  Timgbuffer img;
  img.Datetime = "date?";
  img.ISOspeed = "1600";
  img.UpdateFitsHeader();
  EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), "");
  EXPECT_EQ(img.fitsheader.card(11).substr(0, 30), "ISOSPEED=                 1600");

  // A date card that is already there stays as it is.
  Timgbuffer dated;
  ASSERT_TRUE(setFitskeyQuoted(dated.fitsheader, "DATE-OBS", "2020-01-01T00:00:00"));
  dated.UpdateFitsHeader();  // Datetime is empty
  EXPECT_EQ(getFitskeyString(dated.fitsheader, "DATE-OBS"), "2020-01-01T00:00:00");
}

}  // namespace
}  // namespace vargaze
