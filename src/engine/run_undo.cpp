#include "engine/run_undo.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

#include "core/ads_path.h"
#include "core/dn.h"
#include "core/names.h"
#include "core/run_host.h"
#include "core/user_name_pattern.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "engine/run_record.h"

namespace quill {

namespace {

QString field(const QJsonObject& line, const char* name) {
  return line.value(QLatin1String(name)).toString();
}

// One undo over the services, reporting as a run does.
class Undo {
 public:
  Undo(Platform platform, RunHost& host, RunLog& log, RunRecord* record)
      : m_ctx(host, *platform.directory, *platform.files, *platform.shares, log, m_patterns),
        m_record(record) {}

  RunOutcome run(const QString& recordPath);

 private:
  void undoShare(const QJsonObject& change);
  void undoFolder(const QJsonObject& change);
  void undoMembership(const QJsonObject& change);
  void undoObject(const QJsonObject& change);
  // The object a change names as it is now: by its identity when the run
  // recorded one (it may have been moved or renamed since), else by its DN.
  std::unique_ptr<DirObject> locate(const QString& dn, const QString& guid);
  // The identity the run recorded for the object it created at dn, if any.
  QString guidOf(const QString& dn) const;
  QString path(const QString& dn) const { return QStringLiteral("LDAP://") + m_domain + u'/' + dn; }
  void warn(const QString& line) {
    m_ctx.counters.WarningsOccurred = true;
    m_ctx.ReportLine(QStringLiteral("Warning: ") + line);
  }
  void error(const QString& line) {
    m_ctx.counters.ErrorsOccurred = true;
    m_ctx.ReportLine(QStringLiteral("Error: ") + line);
  }
  void done(const QJsonObject& change) {
    ++m_undone;
    if (m_record) m_record->write({{QStringLiteral("undone"), change}});
  }

  UserNamePatterns m_patterns;
  RunContext m_ctx;
  RunRecord* m_record;
  QString m_domain;
  QHash<QString, QString> m_guids;  // normalized DN of a created object -> its identity
  int m_undone = 0;
  int m_gone = 0;
  int m_kept = 0;
};

RunOutcome Undo::run(const QString& recordPath) {
  RecordedRun recorded;
  QString reason;
  if (!readRunRecord(recordPath, &recorded, &reason)) {
    m_ctx.host.inform(
        QStringLiteral("Error. Unable to read the run record '%1': %2").arg(recordPath, reason),
        MsgIcon::Critical);
    return RunOutcome::EndedEarly;
  }
  QString folder;
  QString fileName;
  m_ctx.log.OpenRunLog({.IncludeDate = true, .IncludeTime = true}, folder, fileName, 0);
  m_domain = field(recorded.header, "domain");
  m_ctx.ReportLine(QStringLiteral("Undoing the run of %1 (%2)...")
                       .arg(field(recorded.header, "start"), recordPath));
  // A run writes the identity of what it created on the "created" line (older
  // records) or on a "guid" line of its own, read in batches after the fact.
  for (const QJsonObject& change : recorded.changes) {
    const QString kind = field(change, "change");
    if ((kind == u"created" || kind == u"guid") && !field(change, "guid").isEmpty()) {
      m_guids.insert(normalizeDn(field(change, "dn")), field(change, "guid"));
    }
  }
  // Newest first within each kind, the kinds in an order that frees each
  // step's objects before the next needs them gone.
  const auto each = [&](const char* kind, void (Undo::*step)(const QJsonObject&)) {
    for (auto it = recorded.changes.rbegin(); it != recorded.changes.rend(); ++it) {
      if (field(*it, "change") == QLatin1String(kind)) (this->*step)(*it);
    }
  };
  each("share", &Undo::undoShare);
  each("folder", &Undo::undoFolder);
  each("member", &Undo::undoMembership);
  each("created", &Undo::undoObject);
  m_ctx.ReportLine(QStringLiteral("Undo finished: %1 changes taken back, %2 gone already, %3 kept.")
                       .arg(m_undone)
                       .arg(m_gone)
                       .arg(m_kept));
  m_ctx.host.setStatus(QStringLiteral("%1 changes taken back").arg(m_undone));
  if (m_ctx.counters.ErrorsOccurred) return RunOutcome::Errors;
  if (m_ctx.counters.WarningsOccurred) return RunOutcome::Warnings;
  return RunOutcome::Success;
}

void Undo::undoShare(const QJsonObject& change) {
  const QString server = field(change, "server");
  const QString name = field(change, "name");
  const QString recorded = reduceDoubledSeparators(field(change, "path"));
  const QString current = m_ctx.shares.GetSharePath(server, name);
  if (current.isEmpty()) {
    ++m_gone;
    m_ctx.ReportLine(QStringLiteral("The share '%1' on '%2' is gone already.").arg(name, server));
  } else if (reduceDoubledSeparators(current).compare(recorded, Qt::CaseInsensitive) != 0) {
    ++m_kept;
    warn(QStringLiteral("the share '%1' on '%2' now points to '%3', not to the run's '%4'; it is "
                        "kept.")
             .arg(name, server, current, recorded));
  } else {
    m_ctx.ReportLine(QStringLiteral("Removing the share '%1' on '%2'.").arg(name, server));
    const int result = m_ctx.shares.DeleteShare(server, name);
    if (result == 0) {
      done(change);
    } else if (result == kShareNotFound) {
      ++m_gone;
    } else {
      error(QStringLiteral("the share '%1' on '%2' could not be removed (result %3).")
                .arg(name, server)
                .arg(result));
    }
  }
}

void Undo::undoFolder(const QJsonObject& change) {
  const QString folder = field(change, "path");
  if (!m_ctx.files.exists(folder)) {
    ++m_gone;
    m_ctx.ReportLine(QStringLiteral("The directory '%1' is gone already.").arg(folder));
    return;
  }
  const std::optional<QStringList> entries = m_ctx.files.folderEntries(folder);
  if (entries && !entries->isEmpty()) {
    ++m_kept;
    warn(QStringLiteral("the directory '%1' is not empty; it is kept.").arg(folder));
    return;
  }
  m_ctx.ReportLine(QStringLiteral("Removing directory '%1'.").arg(folder));
  QString why;
  switch (m_ctx.files.removeFolder(folder, &why)) {
    case UncFileSystem::Removal::Removed:
      done(change);
      break;
    case UncFileSystem::Removal::Missing:
      ++m_gone;
      break;
    case UncFileSystem::Removal::NotEmpty:
      ++m_kept;
      warn(QStringLiteral("the directory '%1' is not empty; it is kept.").arg(folder));
      break;
    case UncFileSystem::Removal::Failed:
      error(QStringLiteral("the directory '%1' could not be removed: %2").arg(folder, why));
      break;
  }
}

QString Undo::guidOf(const QString& dn) const { return m_guids.value(normalizeDn(dn)); }

std::unique_ptr<DirObject> Undo::locate(const QString& dn, const QString& guid) {
  PendingError err;
  if (!guid.isEmpty()) return m_ctx.directory.BindGuid(m_domain, guid, err);
  return m_ctx.directory.Bind(path(dn), err);
}

void Undo::undoMembership(const QJsonObject& change) {
  const QString groupDn = field(change, "group");
  const QString memberDn = field(change, "member");
  std::unique_ptr<DirObject> group = locate(groupDn, guidOf(groupDn));
  std::unique_ptr<DirObject> member = locate(memberDn, guidOf(memberDn));
  PendingError err;
  if (!group || !member || !m_ctx.directory.HasMember(*group, member->dn, err)) {
    ++m_gone;
    m_ctx.ReportLine(
        QStringLiteral("'%1' is no longer a member of '%2'.").arg(path(memberDn), path(groupDn)));
    return;
  }
  m_ctx.ReportLine(
      QStringLiteral("Removing '%1' from '%2'...").arg(path(member->dn), path(group->dn)));
  m_ctx.directory.RemoveMember(*group, path(member->dn), err);
  if (err.isSet()) {
    error(QStringLiteral("'%1' could not be removed from '%2': %3")
              .arg(path(member->dn), path(group->dn), err.description()));
  } else {
    done(change);
  }
}

void Undo::undoObject(const QJsonObject& change) {
  const QString dn = field(change, "dn");
  const QString objectClass = field(change, "class");
  std::unique_ptr<DirObject> obj = locate(dn, guidOf(dn));
  // Found by its DN only, the object must still be of the class the run made.
  if (!obj || obj->objectClass.compare(objectClass, Qt::CaseInsensitive) != 0) {
    ++m_gone;
    m_ctx.ReportLine(QStringLiteral("'%1' is gone already.").arg(path(dn)));
    return;
  }
  PendingError err;
  if (objectClass.compare(u"group", Qt::CaseInsensitive) == 0) {
    if (!m_ctx.directory.Members(*obj, err).isEmpty()) {
      ++m_kept;
      return warn(QStringLiteral("the group '%1' has members the run did not add; it is kept.")
                      .arg(path(obj->dn)));
    }
  } else if (objectClass.compare(u"user", Qt::CaseInsensitive) != 0 &&
             !m_ctx.directory.Children(*obj, err).empty()) {
    ++m_kept;
    return warn(QStringLiteral("'%1' is not empty; it is kept.").arg(path(obj->dn)));
  }
  err.clear();
  m_ctx.ReportLine(QStringLiteral("Deleting '%1'...").arg(path(obj->dn)));
  m_ctx.directory.DeleteObject(*obj, err);
  if (err.isSet()) {
    error(QStringLiteral("'%1' could not be deleted: %2").arg(path(obj->dn), err.description()));
  } else {
    done(change);
  }
}

}  // namespace

bool readRunRecord(const QString& path, RecordedRun* run, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = file.errorString();
    return false;
  }
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i].isEmpty()) continue;
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(lines[i], &parse);
    const bool last = i + 1 >= lines.size() || (i + 2 == lines.size() && lines.back().isEmpty());
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
      if (last) break;  // the program died while writing it
      *error = QStringLiteral("line %1 is damaged").arg(i + 1);
      return false;
    }
    const QJsonObject line = doc.object();
    if (i == 0) {
      if (line.value(QLatin1String("record")).toString() != u"run") {
        *error = QStringLiteral("it is no record of a run");
        return false;
      }
      run->header = line;
    } else if (line.contains(QLatin1String("change"))) {
      run->changes.push_back(line);
    } else if (line.contains(QLatin1String("ended"))) {
      run->end = line;
    }
  }
  if (run->header.isEmpty()) {
    *error = QStringLiteral("it is empty");
    return false;
  }
  return true;
}

QString newestRunRecord(const QString& folder) {
  // "2026-12-06T19-30-05.jsonl", then "...-2.jsonl" for a second in that second.
  static const QRegularExpression name(
      QStringLiteral("^(\\d{4}-\\d\\d-\\d\\dT\\d\\d-\\d\\d-\\d\\d)(?:-(\\d+))?\\.jsonl$"));
  QString newest;
  QString newestKey;
  for (const QString& entry : QDir(folder).entryList(QDir::Files)) {
    const QRegularExpressionMatch m = name.match(entry);
    if (!m.hasMatch()) continue;
    const QString key =
        m.captured(1) + QStringLiteral("-%1").arg(m.captured(2).toInt(), 6, 10, QLatin1Char('0'));
    if (key > newestKey) {
      newestKey = key;
      newest = folder + u'/' + entry;
    }
  }
  return newest;
}

RunOutcome UndoRun(Platform platform, RunHost& host, RunLog& log, const QString& recordPath,
                   RunRecord* undoRecord) {
  host.setBusy(true);
  const RunOutcome outcome = Undo(platform, host, log, undoRecord).run(recordPath);
  host.setBusy(false);
  return outcome;
}

}  // namespace quill
