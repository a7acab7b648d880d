// A dry run prints, line for line and with the same exit status, what the
// real run that follows it prints, and leaves the sandbox as it was, to the
// byte and the second.
#include <functional>

#include "support/batch_program.h"
#include "support/qt_print.h"

namespace quill {
namespace {

class DryRunTest : public test::BatchProgram {
 public:
  // Sets the attribute of the domain root in the sandbox's file (the program
  // is not running), as an administrator of a real domain would.
  void setRoot(const QByteArray& attribute, const QByteArray& value) {
    QByteArray ldif = read("S/directory.ldif");
    const QByteArray line = attribute + ": ";
    const qsizetype at = ldif.indexOf("\n" + line);
    if (at >= 0) {
      const qsizetype end = ldif.indexOf('\n', at + 1);
      ldif.replace(at + 1, end - at - 1, line + value);
    } else {
      ldif.replace("nTMixedDomain: ", line + value + "\nnTMixedDomain: ");
    }
    write("S/directory.ldif", ldif);
  }
};

struct Scenario {
  const char* name;
  QStringList persons;
  QStringList flags;
  std::function<void(DryRunTest&)> setUp;
};

TEST_F(DryRunTest, PrintsWhatTheRunThenDoesAndChangesNothing) {
  const QStringList two = {"Ann,Adams,d,Sales,Clerk,1", "Bob,Brown,d,IT,Admin,2"};
  std::vector<Scenario> scenarios;
  // Every row of the folder plan.
  for (const char* single : {"yes", "no"}) {
    for (const char* department : {"yes", "no"}) {
      for (const char* privat : {"no", "central", "per-department"}) {
        if (QLatin1String(single) == u"no" && QLatin1String(department) == u"no" &&
            QLatin1String(privat) == u"no") {
          continue;
        }
        QStringList flags{"--single-public", single, "--department-public", department};
        flags << (QLatin1String(privat) == u"no"
                      ? QStringList{"--private-dirs", "no"}
                      : QStringList{"--private-dirs", "yes", "--private-location", privat});
        scenarios.push_back({"folder row", two, flags, {}});
      }
    }
  }
  const auto taken = [](DryRunTest& t) {
    t.run({"--csv", t.list({"James,Bond,d,A,X,1", "Jack,Bond,d,B,X,1"}, "first.csv")});
  };
  scenarios.push_back(
      {"taken names, all three patterns", {"James,Bond,d,C,X,1", "Jam,Bond,d,D,X,1"}, {}, taken});
  scenarios.push_back({"hostile names",
                       {"A,B,d,OU=Evil,X,1", "C,D,d,a\\b,X,1", "E,F,d,..,X,1", "G,H,d,%HOME%x,X,1",
                        QStringLiteral("I,J\x1bK,d,Sales,X+Y,1")},
                       {},
                       {}});
  scenarios.push_back({"short lines", {"A,B", "", "C,D,e,Sales"}, {}, {}});
  scenarios.push_back({"a refused check", two, {"--dir-root", "no-unc"}, {}});
  const auto mixed = [](DryRunTest& t) { t.setRoot("nTMixedDomain", "1"); };
  scenarios.push_back({"mixed mode, Yes", two, {"--yes"}, mixed});
  scenarios.push_back({"mixed mode, No", two, {}, mixed});
  const auto policy = [](DryRunTest& t) { t.setRoot("minPwdLength", "20"); };
  scenarios.push_back({"a password the policy refuses", two, {}, policy});
  const auto again = [two](DryRunTest& t) { t.run({"--csv", t.list(two, "first.csv")}); };
  scenarios.push_back({"a second run over the first", two, {}, again});

  for (const Scenario& s : scenarios) {
    const QString name = QLatin1String(s.name) + u' ' + s.flags.join(u' ');
    SCOPED_TRACE(name.toStdString());
    QDir(path("S")).removeRecursively();
    freshSandbox();
    if (s.setUp) s.setUp(*this);
    const QStringList flags = QStringList{"--csv", list(s.persons)} + s.flags;
    const QStringList before = sandboxState();
    const test::Exit dry = run(flags + QStringList{"--dry-run"});
    EXPECT_EQ(sandboxState(), before);
    const test::Exit real = run(flags);
    EXPECT_EQ(dry.status, real.status);
    EXPECT_EQ(dry.out, real.out);
    QStringList dryErr = dry.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(dryErr.isEmpty());
    EXPECT_TRUE(dryErr.takeLast().startsWith(u"Quillstead: Dry run: nothing was changed."));
    EXPECT_EQ(dryErr, real.err.split(u'\n', Qt::SkipEmptyParts));
  }
}

TEST_F(DryRunTest, CountsWhatItWouldCreateAndNeedsASandbox) {
  freshSandbox();
  const QStringList records = QDir(path("quillstead-runs")).entryList(QDir::Files);
  const QByteArray log = read("quillstead.log");
  const test::Exit e =
      run({"--csv",
           list({"Ann,Adams,d,Sales,Clerk,1", "Bob,Brown,d,Sales,Admin,2", "Cy,Cole,d,IT,Clerk,3"}),
           "--dry-run"});
  EXPECT_TRUE(e.err.endsWith(QLatin1String(
      "Dry run: nothing was changed. It would create 7 OUs, 3 accounts, 5 groups, 6 memberships, "
      "5 folders and 4 shares; 0 fall-back names, 0 warnings, 0 errors.\n")))
      << e.err.toStdString();
  EXPECT_EQ(QDir(path("quillstead-runs")).entryList(QDir::Files), records);
  EXPECT_EQ(read("quillstead.log"), log);
  const test::Exit none =
      quill({"--batch", "--dry-run", "--sandbox", path("none"), "--users", "no"});
  EXPECT_EQ(none.status, 3);
  EXPECT_FALSE(QFileInfo::exists(path("none")));
}

}  // namespace
}  // namespace quill
