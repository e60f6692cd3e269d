#include "folder/FolderClass.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/WideFormat.h"

namespace corvane {
namespace {

TEST(FolderClass, TextIsTheRegistryFormOfTheFields) {
    const ClassIdFields& id = kFolderClassIdFields;
    std::u16string text = formatWide(u"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.data1,
                                     id.data2, id.data3, id.data4[0], id.data4[1], id.data4[2], id.data4[3],
                                     id.data4[4], id.data4[5], id.data4[6], id.data4[7]);
    EXPECT_EQ(text, kFolderClassId);
    EXPECT_EQ(std::u16string(kFolderClassId).size(), 38u);
}

}  // namespace
}  // namespace corvane
