// A device this user may not open: the reason, and what to do about it.

#include "AsAnotherUser.h"
#include "PortPermission.h"
#include "PseudoTerminal.h"
#include "ZSerial.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

using namespace linktest;

TEST(PortPermission, AUserRefusedADeviceIsToldWhichGroupToJoin)
{
    if (!canActAsAnotherUser())
        GTEST_SKIP() << "needs root to run a part as another user";
    const struct passwd* user = getpwuid(nobody);
    ASSERT_TRUE(user);
    const std::string name = user->pw_name;

    struct Case { const char* group; mode_t mode; const char* named; };
    const Case cases[] = {
        {"dialout", 0660, "dialout"},
        {"uucp", 0660, "uucp"},  // the device's own group, not always dialout
        {"uucp", 0600, "dialout"},  // a group that may not use it would not help
        {"uucp", 0640, "dialout"},  // nor one that may read it but not write it
        {"root", 0660, "dialout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.group) + " " + std::to_string(c.mode));
        const struct group* group = getgrnam(c.group);
        if (!group)
            continue;
        PseudoTerminal line;
        ASSERT_TRUE(line.ready());
        ASSERT_EQ(chown(line.device().c_str(), 0, group->gr_gid), 0);
        ASSERT_EQ(chmod(line.device().c_str(), c.mode), 0);

        const std::string seen = asAnotherUser([&] {
            ZSerial port;
            const int opened = port.open(line.device().c_str());
            return std::to_string(opened) + " " + port.openFailure() + "; " +
                   (port.openDeniedByPermissions() ? "denied; " : "not denied; ") +
                   carlink::permissionHelp(line.device().c_str());
        });
        EXPECT_EQ(seen, std::string("1 Permission denied; denied; Permission denied: add your user to the group ") +
                            c.named + " (sudo adduser " + name + " " + c.named + "), then log out and in again");
    }
}

TEST(PortPermission, OtherFailuresAreNoMatterOfPermission)
{
    ZSerial missing;
    EXPECT_EQ(missing.open("/nonexistent/ttyUSB0"), 1);
    EXPECT_FALSE(missing.openDeniedByPermissions());
    EXPECT_EQ(carlink::deviceGroup("/nonexistent/ttyUSB0"), "dialout");

    PseudoTerminal line;
    ASSERT_TRUE(line.ready());
    ZSerial holder, second;
    ASSERT_EQ(holder.open(line.device().c_str()), 0);
    EXPECT_EQ(second.open(line.device().c_str()), 1);
    EXPECT_EQ(second.openFailure(), "in use by another program");
    EXPECT_FALSE(second.openDeniedByPermissions());
}
