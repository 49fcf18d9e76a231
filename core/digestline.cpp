#include "digestline.h"

#include "filesystem.h"

namespace cheqora {

QString digestLine(const QString &caption, const QString &path)
{
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(path, st, err) || st.kind == platform::EntryKind::Folder)
        return QString();
    return caption + QStringLiteral("  ") + path + u',' + QString::number(st.length) + QStringLiteral(" bytes (")
        + platform::groupedDecimal2(double(st.length) / 1024.0) + QStringLiteral(" KB), ")
        + platform::dateTimeText(st.modified());
}

} // namespace cheqora
