#include "shell/mode_file_messages.h"

#include <QFile>
#include <QRegularExpression>

namespace ax7::ui {

namespace {

// The last number in the core's detail line ("unsupported mode file version 9"), or empty.
QString lastNumber(const QString& detail) {
  static const QRegularExpression number(QStringLiteral("(\\d+)(?!.*\\d)"));
  const QRegularExpressionMatch m = number.match(detail);
  return m.hasMatch() ? m.captured(1) : QString();
}

}  // namespace

ModeFileMessage ModeFileLoadMessage(const ModeFileResult& r, const QString& path,
                                    Language language) {
  const bool en = language == Language::English;
  const QByteArray local = QFile::encodeName(path);
  if (r.systemError != 0) {
    // The file could not be opened or read at all.
    return {en ? QString::asprintf(kModeFileLoadErrorFormat, local.constData())
               : QString::fromUtf8("无法读取文件：\n%1\n文件可能不存在或没有读取权限。").arg(path),
            en ? QString::fromLatin1(kModeFileErrorCaption) : QString::fromUtf8("文件错误")};
  }
  const QString caption = en ? QStringLiteral("Error") : QString::fromUtf8("错误");
  // The file was read but is no mode file this program knows.
  if (en) return {QString::fromStdString(r.error), caption};
  const QString detail = QString::fromStdString(r.error);
  QString why;
  if (detail.contains(QLatin1String("unsupported"), Qt::CaseInsensitive) &&
      detail.contains(QLatin1String("version"), Qt::CaseInsensitive)) {
    why = QString::fromUtf8("不支持的模式文件版本 %1").arg(lastNumber(detail));
  } else if (detail.contains(QLatin1String("too short"), Qt::CaseInsensitive) ||
             detail.contains(QLatin1String("truncated"), Qt::CaseInsensitive)) {
    why = r.version > 0 ? QString::fromUtf8("文件不完整（版本 %1 的模式文件更长）").arg(r.version)
                        : QString::fromUtf8("文件太短，不是模式文件");
  } else {
    why = QString::fromUtf8("文件内容无效，不是本程序的模式文件");
  }
  return {QString::fromUtf8("无法载入模式文件“%1”：%2").arg(path, why).trimmed(), caption};
}

}  // namespace ax7::ui
