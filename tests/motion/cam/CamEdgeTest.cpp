#include "kernel/document/KernelGlobals.h"
#include "motion/cam/MC_CAM.h"
#include "motion/model/MotionStringIds.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

TEST(CamEdge, DownloadTexts) {
  EXPECT_STREQ(FormatKernelString(IDS_CAM_DOWNLOADING), "Downloading CAM tables...");
  EXPECT_STREQ(FormatKernelString(IDS_CAM_DOWNLOAD_OK), "CAM tables download succeeded");
  EXPECT_STREQ(FormatKernelString(IDS_CAM_DOWNLOAD_FAILED), "CAM tables download failed!");
  EXPECT_STREQ(FormatKernelString(IDS_CAM_INVALID_OBJECT, "c"), "CAM 'c' isn't a valid CAM object!");
}

TEST(CamEdge, OnePointImageIsEightWords) {
  CMC_CAM cam;
  cam.SetMasterStart(0x12345678);
  LONG point = -2;
  cam.SetPoints(&point, 1);
  ASSERT_EQ(cam.GetCAMSizeInWords(), 8);
  std::vector<WORD> w(8, 0xEEEE);
  cam.WriteToBuffer(w.data());
  EXPECT_EQ(w[0], 0x0000);
  EXPECT_EQ(w[1], 0x5678);
  EXPECT_EQ(w[2], 0x1234);
  EXPECT_EQ(w[3], 0);
  EXPECT_EQ(w[4], 0);
  EXPECT_EQ(w[5], 0xFFFE);
  EXPECT_EQ(w[6], 0xFFFF);
  EXPECT_EQ(w[7], (WORD)(0x5678 + 0x1234 + 0xFFFE + 0xFFFF));
  EXPECT_EQ(w[7], cam.GetChecksum());
}

TEST(CamEdge, APipeInTheFolderIsNoTableToLoad) {
  const std::string pipe = dravonix::test::ScratchDir("cam-pipe") + "/x.cam";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  EXPECT_EQ("0", dravonix::test::InChildProcess([&] {
    alarm(5);
    CMC_CAM cam;
    return std::to_string(cam.Load(pipe.c_str()));
  }));
}
