#include "support/samba_dc.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace quill::test {

std::optional<SambaDc> SambaDc::fromEnvironment(QString* why) {
  QFile file(qEnvironmentVariable("QUILL_DC_ENV"));
  SambaDc dc;
  static const QRegularExpression line("^export (\\w+)='([^']*)'$",
                                       QRegularExpression::MultilineOption);
  if (file.open(QIODevice::ReadOnly)) {
    for (auto m = line.globalMatch(QString::fromUtf8(file.readAll())); m.hasNext();) {
      const QRegularExpressionMatch next = m.next();
      dc.m_values[next.captured(1)] = next.captured(2);
    }
  }
  if (dc.host().isEmpty()) *why = "no DC described in QUILL_DC_ENV '" + file.fileName() + "'";
  return dc.host().isEmpty() ? std::nullopt : std::optional(dc);
}

QString SambaDc::adminPassword() const {
  QFile file(value("QUILL_DC_PASSWORD_FILE"));
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

NetSettings SambaDc::settings(const QString& user, const QString& domain,
                              const QString& password) const {
  if (user.isEmpty()) return settings("Administrator", this->domain(), adminPassword());
  return NetSettings{host(), false, user, domain, password, false, 10};
}

int SambaDc::run(const QString& program, const QStringList& args, const QByteArray& input,
                 QString* output, const QProcessEnvironment& extra, const QString& dir) const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("LDAPNOINIT");  // the tools read their settings from LDAPCONF
  env.insert("LDAPCONF", value("QUILL_DC_LDAPCONF"));
  env.insert("LDAPTLS_CACERT", caCert());
  env.insert("HOME", value("QUILL_DC_DIR"));
  env.insert("KRB5_CONFIG", value("KRB5_CONFIG"));
  env.insert(extra);
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.setWorkingDirectory(dir);
  p.start(program, args);
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(300000)) p.kill();
  if (output != nullptr) *output = QString::fromUtf8(p.readAll());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString SambaDc::search(const QString& base, const QString& scope, const QString& filter,
                        const QStringList& attributes) const {
  QString output;
  run("ldapsearch",
      QStringList{"-LLL", "-o", "ldif-wrap=no", "-x", "-D", value("QUILL_DC_ADMIN"), "-y",
                  value("QUILL_DC_PASSWORD_FILE"), "-b", base, "-s", scope, filter} +
          attributes,
      {}, &output);
  return output;
}

QStringList SambaDc::values(const QString& dn, const QString& attribute) const {
  QStringList found;
  for (const QString& line : search(dn, "base", "(objectClass=*)", {attribute}).split('\n')) {
    if (!line.startsWith(attribute + ':', Qt::CaseInsensitive)) continue;
    const QString text = line.mid(attribute.size() + 1);
    found << (text.startsWith(':')
                  ? QString::fromUtf8(QByteArray::fromBase64(text.mid(2).toLatin1()))
                  : text.mid(1));
  }
  return found;
}

bool SambaDc::modify(const QString& ldif, bool add) const {
  QString output;
  const QStringList args{"-x", "-D", value("QUILL_DC_ADMIN"), "-y",
                         value("QUILL_DC_PASSWORD_FILE")};
  const bool ok =
      run("ldapmodify", add ? args + QStringList{"-a"} : args, ldif.toUtf8(), &output) == 0;
  EXPECT_TRUE(ok) << output;
  return ok;
}

QString SambaDc::addUser(const QString& password) const {
  const QString sam = uniqueName("n");
  QByteArray pwd;  // unicodePwd: the quoted password in UTF-16LE
  for (const QChar c : '"' + password + '"') pwd.append(char(c.unicode())).append(char(0));
  modify("dn: CN=" + sam + ",CN=Users," + baseDn() + "\nobjectClass: user\nsAMAccountName: " + sam +
         "\nunicodePwd:: " + pwd.toBase64() + "\nuserAccountControl: 512\n");
  return sam;
}

QString SambaDc::bindResult(const QString& login, const QString& password) const {
  QTemporaryFile file;  // for -y: the password never goes on a command line
  QString out = "no file";
  if (file.open() && file.write(password.toUtf8()) >= 0 && file.flush() &&
      run("ldapsearch",
          {"-x", "-D", login + '@' + domain(), "-y", file.fileName(), "-b", "", "-s", "base",
           "1.1"},
          {}, &out) == 0) {
    return "ok";
  }
  return out.contains("data ") ? out.mid(out.indexOf("data "), 8) : out;
}

int SambaDc::samba(const QString& program, QStringList args, QString* output) const {
  args << "-s" << value("QUILL_DC_CLIENT_CONF") << "-A" << value("QUILL_DC_AUTH")
       << "--use-kerberos=off";
  return run(program, args, {}, output);
}

QStringList SambaDc::shares() const {
  QString out;
  EXPECT_EQ(samba("net", {"rpc", "share", "list", "-S", host()}, &out), 0) << out;
  return out.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

QString SambaDc::sharePath(const QString& name) const {
  QString out;
  samba("rpcclient", {"-c", "netsharegetinfo " + name + " 2", host()}, &out);
  static const QRegularExpression path("^\\s*path:\\s*(.*\\S)",
                                       QRegularExpression::MultilineOption);
  return path.match(out).captured(1);
}

}  // namespace quill::test
