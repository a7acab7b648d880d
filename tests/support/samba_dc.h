#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

#include "net/net_settings.h"

namespace quill::test {

// The Samba domain controller the test fixture started (tests/fixtures/samba-dc), described by the
// env.sh file named in QUILL_DC_ENV. Checks go through the OpenLDAP command-line tools run as
// separate processes, never through the code under test.
class SambaDc {
 public:
  // The DC of QUILL_DC_ENV, or nullopt with the reason in *why when there is none.
  static std::optional<SambaDc> fromEnvironment(QString* why);

  QString value(const char* name) const;  // a QUILL_DC_* value of env.sh
  QString host() const { return value("QUILL_DC_HOST"); }
  QString domain() const { return value("QUILL_DC_DOMAIN"); }
  QString baseDn() const { return value("QUILL_DC_BASE_DN"); }
  QString caCert() const { return value("QUILL_DC_CACERT"); }
  QString adminPassword() const;

  // Administrator over LDAPS to the DC's address.
  NetSettings adminSettings() const;
  // Settings for user with password (UPN or plain name).
  NetSettings userSettings(const QString& user, const QString& domain,
                           const QString& password) const;

  // ldapsearch as Administrator: the LDIF of the matching entries ("-LLL", unwrapped).
  QString search(const QString& base, const QString& scope, const QString& filter,
                 const QStringList& attributes) const;
  // The values of attribute of the entry dn, read with ldapsearch.
  QStringList attributeValues(const QString& dn, const QString& attribute) const;
  // ldapmodify (or ldapadd) as Administrator with ldif on stdin; true on exit status 0,
  // the tool's output in *output.
  bool modify(const QByteArray& ldif, bool add, QString* output = nullptr) const;
  // Runs a tool with the environment the ldap-utils need here; exit status, output in *output.
  int run(const QString& program, const QStringList& args, const QByteArray& input, QString* output,
          const QProcessEnvironment& extra = {}) const;

 private:
  QProcessEnvironment toolEnvironment() const;
  QStringList m_names;
  QStringList m_values;
};

// A name no earlier test process used: prefix + process id + a counter.
QString uniqueName(const QString& prefix);

// Sets an environment variable for the life of the guard, then restores it.
class EnvGuard {
 public:
  EnvGuard(const char* name, const QByteArray& value);
  ~EnvGuard();
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

 private:
  QByteArray m_name;
  std::optional<QByteArray> m_old;
};

}  // namespace quill::test
