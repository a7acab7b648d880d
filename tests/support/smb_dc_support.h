#pragma once

// File-server tests against the fixture's Samba DC: its file share "qdata"
// (a folder on the DC's disk the tests look at directly) and the Samba tools
// (smbclient, net, rpcclient) that check the server's state independently of
// the code under test. Credentials reach the tools through the DC's authfile.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <optional>

#include "net/net_settings.h"
#include "support/samba_dc.h"

namespace quill::test {

class SambaFileServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    m_dc = SambaDc::fromEnvironment(&why);
    if (!m_dc) GTEST_SKIP() << why.toStdString();
  }

  const SambaDc& dc() const { return *m_dc; }
  QString host() const { return m_dc->host(); }                                     // 127.0.0.1
  QString share() const { return m_dc->value("QUILL_DC_SHARE"); }                   // qdata
  QString sharePath() const { return m_dc->value("QUILL_DC_SHARE_PATH"); }          // DIR/srv/qdata
  QString netbiosDomain() const { return m_dc->value("QUILL_DC_NETBIOS_DOMAIN"); }  // QUILL

  // Administrator with its password (NTLM), addressed by the DC's address.
  NetSettings settings() const {
    NetSettings s = m_dc->adminSettings();
    s.timeoutSeconds = 5;
    return s;
  }

  // "\\127.0.0.1\qdata" followed by "\" + each of levels.
  QString unc(const QStringList& levels = {}) const {
    QString path = QStringLiteral("\\\\") + host() + u'\\' + share();
    for (const QString& level : levels) path += u'\\' + level;
    return path;
  }

  // How the DC names one of its local folders: "/x/y" is "C:\x\y".
  static QString windowsPath(const QString& unixPath) {
    return QStringLiteral("C:") + QString(unixPath).replace(u'/', u'\\');
  }

  // A Samba tool run as Administrator (authfile, NTLM) with the DC's client
  // configuration; its exit status, and its output in *output.
  int samba(const QString& program, QStringList args, QString* output) const {
    args << QStringLiteral("-s") << m_dc->value("QUILL_DC_CLIENT_CONF") << QStringLiteral("-A")
         << m_dc->value("QUILL_DC_AUTH") << QStringLiteral("--use-kerberos=off");
    return m_dc->run(program, args, {}, output);
  }

  // `smbclient //127.0.0.1/share -c command`.
  int smbclient(const QString& shareName, const QString& command, QString* output) const {
    return samba(QStringLiteral("smbclient"),
                 {QStringLiteral("//%1/%2").arg(host(), shareName), QStringLiteral("-c"), command},
                 output);
  }

  // `net rpc share list`: the server's share names, one a line.
  QStringList listedShares() const {
    QString output;
    EXPECT_EQ(samba(QStringLiteral("net"),
                    {QStringLiteral("rpc"), QStringLiteral("share"), QStringLiteral("list"),
                     QStringLiteral("-S"), host()},
                    &output),
              0)
        << output.toStdString();
    QStringList names;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) names << line.trimmed();
    return names;
  }

  // The path of shareName as the server's SRVSVC reports it, read with rpcclient.
  QString pathOfShare(const QString& shareName) const {
    QString output;
    samba(QStringLiteral("rpcclient"),
          {QStringLiteral("-c"), QStringLiteral("netsharegetinfo %1 2").arg(shareName), host()},
          &output);
    for (const QString& line : output.split(u'\n')) {
      const QString trimmed = line.trimmed();
      if (trimmed.startsWith(QStringLiteral("path:"))) return trimmed.mid(5).trimmed();
    }
    return QString();
  }

  std::optional<SambaDc> m_dc;
};

}  // namespace quill::test
