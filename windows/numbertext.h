#pragma once

#include <QString>

namespace cheqora {

// A number as messages have always shown it: a blank in the sign position of a non-negative number,
// so "Error" + NumberText(53) reads "Error 53".
inline QString NumberText(qint64 value)
{
    return value >= 0 ? u' ' + QString::number(value) : QString::number(value);
}

} // namespace cheqora
