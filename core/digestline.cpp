#include "digestline.h"

#include "filesystem.h"

namespace cheqora {

bool BuildDigestLine(const QString &strCaption, const QString &strPath, QString &out)
{
    out.clear();
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(strPath, st, err) || st.kind == platform::EntryKind::Folder)
        return false;
    out = strCaption + QStringLiteral("  ") + strPath + u',' + QString::number(st.length)
        + QStringLiteral(" bytes (") + platform::groupedDecimal2(double(st.length) / 1024.0)
        + QStringLiteral(" KB), ") + platform::dateTimeText(st.modified());
    return true;
}

} // namespace cheqora
