// The service's settings folder lets the service in by its service SID, which the system derives from the
// name. (The folder's list itself cannot be tried here: Wine keeps none, and answers from the Unix mode.)

#include "cli/windows/ServiceFolder.h"

#include <gtest/gtest.h>

namespace zelto::wintest {
namespace {

// The service SID Windows gives a well-known service, as "sc showsid TrustedInstaller" prints it.
TEST(ServiceFolderTest, DerivesTheServiceSidFromTheNameAsWindowsDoes) {
    EXPECT_EQ(ServiceFolder::ServiceSid(L"TrustedInstaller"),
              "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464");
    EXPECT_EQ(ServiceFolder::ServiceSid(L"trustedinstaller"), ServiceFolder::ServiceSid(L"TrustedInstaller"));
}

} // namespace
} // namespace zelto::wintest
