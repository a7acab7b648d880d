#pragma once

#include <gtest/gtest.h>

#include <QMap>
#include <QProcessEnvironment>
#include <QStringList>
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
  // The DC of QUILL_DC_ENV, or nullopt with the reason in *why when there is none.
  static std::optional<SambaDc> fromEnvironment(QString* why);

  QString value(const char* name) const { return m_values.value(name); }  // of env.sh
  QString host() const { return value("QUILL_DC_HOST"); }
  QString domain() const { return value("QUILL_DC_DOMAIN"); }
  QString baseDn() const { return value("QUILL_DC_BASE_DN"); }
  QString caCert() const { return value("QUILL_DC_CACERT"); }
  QString adminPassword() const;
  // To the DC's address as user, by default Administrator with its password.
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
  // A tool with the environment the tools need here; its exit status, its output in *output.
  int run(const QString& program, const QStringList& args, const QByteArray& input, QString* output,
          const QProcessEnvironment& extra = {}) const;

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
  explicit DcPause(const SambaDc& dc);
  ~DcPause();
  const SambaDc& dc;
  int pid;
};

}  // namespace quill::test
