#include "support/samba_dc.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace quill::test {

std::optional<SambaDc> SambaDc::fromEnvironment(QString* why) {
  const QString path = qEnvironmentVariable("QUILL_DC_ENV");
  if (path.isEmpty()) {
    *why = QStringLiteral("QUILL_DC_ENV is not set (run through ctest, or point it at env.sh)");
    return std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *why = path + QStringLiteral(": ") + file.errorString();
    return std::nullopt;
  }
  SambaDc dc;
  static const QRegularExpression line(QStringLiteral("^export (\\w+)='([^']*)'$"));
  for (const QString& text : QString::fromUtf8(file.readAll()).split(u'\n')) {
    const QRegularExpressionMatch m = line.match(text);
    if (!m.hasMatch()) continue;
    dc.m_names.append(m.captured(1));
    dc.m_values.append(m.captured(2));
  }
  if (dc.host().isEmpty() || dc.value("QUILL_DC_PASSWORD_FILE").isEmpty()) {
    *why = path + QStringLiteral(": no DC described");
    return std::nullopt;
  }
  return dc;
}

QString SambaDc::value(const char* name) const {
  const qsizetype i = m_names.indexOf(QLatin1StringView(name));
  return i < 0 ? QString() : m_values[i];
}

QString SambaDc::adminPassword() const {
  QFile file(value("QUILL_DC_PASSWORD_FILE"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

NetSettings SambaDc::adminSettings() const {
  return userSettings(QStringLiteral("Administrator"), domain(), adminPassword());
}

NetSettings SambaDc::userSettings(const QString& user, const QString& domain,
                                  const QString& password) const {
  NetSettings s;
  s.dcHost = host();
  s.user = user;
  s.domain = domain;
  s.password = password;
  s.timeoutSeconds = 10;
  return s;
}

QProcessEnvironment SambaDc::toolEnvironment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("LDAPNOINIT"));  // the tools read their settings from LDAPCONF
  env.insert(QStringLiteral("LDAPCONF"), value("QUILL_DC_LDAPCONF"));
  env.insert(QStringLiteral("LDAPTLS_CACERT"), caCert());
  env.insert(QStringLiteral("HOME"), value("QUILL_DC_DIR"));
  env.insert(QStringLiteral("KRB5_CONFIG"), value("KRB5_CONFIG"));
  return env;
}

int SambaDc::run(const QString& program, const QStringList& args, const QByteArray& input,
                 QString* output, const QProcessEnvironment& extra) const {
  QProcess p;
  QProcessEnvironment env = toolEnvironment();
  for (const QString& key : extra.keys()) env.insert(key, extra.value(key));
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForStarted(10000)) return -1;
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(300000)) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  if (output != nullptr) *output = QString::fromUtf8(p.readAll());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString SambaDc::search(const QString& base, const QString& scope, const QString& filter,
                        const QStringList& attributes) const {
  QStringList args{QStringLiteral("-LLL"),
                   QStringLiteral("-o"),
                   QStringLiteral("ldif-wrap=no"),
                   QStringLiteral("-x"),
                   QStringLiteral("-H"),
                   QStringLiteral("ldaps://") + host(),
                   QStringLiteral("-D"),
                   value("QUILL_DC_ADMIN"),
                   QStringLiteral("-y"),
                   value("QUILL_DC_PASSWORD_FILE"),
                   QStringLiteral("-b"),
                   base,
                   QStringLiteral("-s"),
                   scope,
                   filter};
  args += attributes;
  QString output;
  run(QStringLiteral("ldapsearch"), args, {}, &output);
  return output;
}

QStringList SambaDc::attributeValues(const QString& dn, const QString& attribute) const {
  const QString ldif =
      search(dn, QStringLiteral("base"), QStringLiteral("(objectClass=*)"), {attribute});
  QStringList values;
  const QString prefix = attribute.toLower() + QStringLiteral(": ");
  for (const QString& line : ldif.split(u'\n')) {
    if (line.toLower().startsWith(prefix)) values.append(line.mid(prefix.size()));
  }
  return values;
}

bool SambaDc::modify(const QByteArray& ldif, bool add, QString* output) const {
  QStringList args{
      QStringLiteral("-x"),           QStringLiteral("-H"),    QStringLiteral("ldaps://") + host(),
      QStringLiteral("-D"),           value("QUILL_DC_ADMIN"), QStringLiteral("-y"),
      value("QUILL_DC_PASSWORD_FILE")};
  if (add) args.append(QStringLiteral("-a"));
  return run(QStringLiteral("ldapmodify"), args, ldif, output) == 0;
}

QString uniqueName(const QString& prefix) {
  static int counter = 0;
  return QStringLiteral("%1%2x%3").arg(prefix).arg(::getpid()).arg(++counter);
}

EnvGuard::EnvGuard(const char* name, const QByteArray& value) : m_name(name) {
  if (qEnvironmentVariableIsSet(name)) m_old = qgetenv(name);
  if (value.isNull()) {
    qunsetenv(name);
  } else {
    qputenv(name, value);
  }
}

EnvGuard::~EnvGuard() {
  if (m_old) {
    qputenv(m_name.constData(), *m_old);
  } else {
    qunsetenv(m_name.constData());
  }
}

}  // namespace quill::test
