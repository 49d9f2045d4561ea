#include "services/UnitFile.h"

#include <gtest/gtest.h>

using namespace plenwick;

TEST(UnitFile, InstallSectionProgramAndRestart) {
    const UnitFile unit = parseUnitFile("# comment\n[Unit]\nDescription=x\nWantedBy=not-here.target\n"
                                        "[Service]\nExecStartPre=/bin/pre\nExecStart=-/usr/bin/foo \\\n  --a\n"
                                        "ExecStart=/usr/bin/second\nRestart=on-failure\n"
                                        "[Install]\n; comment\nWantedBy=multi-user.target\n");
    EXPECT_TRUE(unit.installable);
    EXPECT_EQ(unit.program, "/usr/bin/foo");
    EXPECT_TRUE(unit.keepsAlive);
    EXPECT_FALSE(unit.defaultInstance);

    // No [Install]: static, whatever other sections say.
    EXPECT_FALSE(parseUnitFile("[Unit]\nWantedBy=a.target\n[Service]\nExecStart=/bin/x\n").installable);
    EXPECT_FALSE(parseUnitFile("[Install]\nAlso=other.service\n").installable) << "Also= alone enables nothing";
    EXPECT_TRUE(parseUnitFile("[Install]\nAlias=other.service\n").installable);

    // An empty ExecStart= resets the list; the last Restart= wins.
    const UnitFile reset = parseUnitFile("[Service]\nExecStart=/old\nExecStart=\nExecStart=/new\nRestart=always\nRestart=no\n");
    EXPECT_EQ(reset.program, "/new");
    EXPECT_FALSE(reset.keepsAlive);
    EXPECT_TRUE(parseUnitFile("[Service]\nRestart=always\n").keepsAlive);
    EXPECT_FALSE(parseUnitFile("[Service]\nExecStart=\n").program);
}

TEST(UnitFile, ProgramsWithPrefixesQuotesAndSpecifiers) {
    EXPECT_EQ(execStartProgram("@-:+!/bin/a b"), "/bin/a");
    EXPECT_EQ(execStartProgram("\"/opt/My App/run\" --x"), "/opt/My App/run");
    EXPECT_EQ(execStartProgram("relative-name arg"), "relative-name");
    EXPECT_FALSE(execStartProgram("  "));
    EXPECT_EQ(parseUnitFile("[Service]\nExecStart=%h/bin/sync%%\n", std::string("/home/u")).program,
              "/home/u/bin/sync%");
    EXPECT_EQ(parseUnitFile("[Service]\nExecStart=%h/bin/sync\n").program, "%h/bin/sync") << "no home: left as is";
    EXPECT_EQ(parseUnitFile("[Install]\nWantedBy=a\nDefaultInstance=tty1\n").defaultInstance, "tty1");
}

TEST(UnitFile, TemplateAndInstanceNames) {
    EXPECT_TRUE(isTemplateName("getty@.service"));
    EXPECT_FALSE(isTemplateName("getty@tty1.service"));
    EXPECT_FALSE(isTemplateName("@.service"));
    EXPECT_TRUE(isInstanceName("getty@tty1.service"));
    EXPECT_FALSE(isInstanceName("getty@.service"));
    EXPECT_FALSE(isInstanceName("plain.service"));
    EXPECT_EQ(templateOf("getty@tty1.service"), "getty@.service");
    EXPECT_EQ(instanceOf("getty@.service", "tty2"), "getty@tty2.service");
}
