#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "application/mapp.h"

// The translation files are looked up beside the start-up library.
TEST(MApp, ModuleFolderHoldsTheLibrary) {
  const QString folder = MApp::moduleFolder();
  ASSERT_FALSE(folder.isEmpty());
  EXPECT_TRUE(QFileInfo(folder).isAbsolute());
  EXPECT_TRUE(QDir(folder).exists(QStringLiteral("libtrelvo_application.so")));
}
