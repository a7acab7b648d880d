#pragma once

#include <gtest/gtest.h>

#include <signal.h>

#include <QFile>
#include <QMap>
#include <QProcessEnvironment>
#include <QStringList>
#include <QThread>
#include <optional>

#include "net/net_settings.h"
#include "support/qt_print.h"
#include "support/test_env.h"

namespace quill::test {

// The Samba DC the test fixture started (tests/fixtures/samba-dc), described by the env.sh file
// named in QUILL_DC_ENV. Checks go through the OpenLDAP, Samba and Kerberos tools, run as
// separate processes, never through the code under test.
class SambaDc {
 public:
  static std::optional<SambaDc> fromEnvironment(QString* why);

  QString value(const char* name) const { return m_values.value(name); }  // of env.sh
  QString host() const { return value("QUILL_DC_HOST"); }
  QString domain() const { return value("QUILL_DC_DOMAIN"); }
  QString baseDn() const { return value("QUILL_DC_BASE_DN"); }
  QString caCert() const { return value("QUILL_DC_CACERT"); }
  QString adminPassword() const;
  // To the DC's address as user (Administrator with its password by default).
  NetSettings settings(const QString& user = {}, const QString& domain = {},
                       const QString& password = {}) const;

  // ldapsearch as Administrator: the LDIF of the matching entries ("-LLL", unwrapped).
  QString search(const QString& base, const QString& scope, const QString& filter,
                 const QStringList& attributes) const;
  QStringList values(const QString& dn, const QString& attribute) const;  // base64 decoded
  bool modify(const QString& ldif, bool add = true) const;  // as Administrator; fails the test
  QString addUser(const QString& password) const;           // an enabled user in CN=Users; its name
  // A simple bind as login@domain: "ok" or the server's reason ("data 773": the password is
  // right and must be changed; "data 52e": it is wrong).
  QString bindResult(const QString& login, const QString& password) const;
  // smbclient, net or rpcclient as Administrator (NTLM) with the DC's client configuration.
  int samba(const QString& program, QStringList args, QString* output = nullptr) const;
  QStringList shares() const;                    // `net rpc share list`
  QString sharePath(const QString& name) const;  // as rpcclient reports it
  // In the folder dir, with the environment the tools need here and extra; -1 for a crash.
  int run(const QString& program, const QStringList& args, const QByteArray& input, QString* output,
          const QProcessEnvironment& extra = {}, const QString& dir = {}) const;

 private:
  QMap<QString, QString> m_values;
};

// A test against the DC, whose CA the LDAP client trusts through LDAPTLS_CACERT, as a user would
// set it. Skipped when no DC is described.
class SambaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    if (!(m_dc = SambaDc::fromEnvironment(&why))) GTEST_SKIP() << why;
    m_ca.emplace("LDAPTLS_CACERT", m_dc->caCert().toUtf8());
  }
  const SambaDc& dc() const { return *m_dc; }
  QString rootPath() const { return "LDAP://" + m_dc->domain(); }

  std::optional<SambaDc> m_dc;
  std::optional<EnvGuard> m_ca;
};

// Stops the DC's main process (LDAP, Kerberos) for its life; then resumes it and waits until it
// answers again, however the test ends.
struct DcPause {
  explicit DcPause(const SambaDc& dc) : dc(dc), pid(dc.value("QUILL_DC_PID").toInt()) {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    stopped = exe == "/usr/sbin/samba" && ::kill(pid, SIGSTOP) == 0;  // the DC's and no other
    EXPECT_TRUE(stopped) << exe;
  }
  ~DcPause() {
    if (stopped) ::kill(pid, SIGCONT);
    for (int i = 0; i < 120 && dc.search("", "base", "(objectClass=*)", {}).isEmpty(); ++i) {
      QThread::msleep(500);
    }
  }
  const SambaDc& dc;
  int pid;
  bool stopped;
};

}  // namespace quill::test
