#pragma once

#include <QString>

/**
 * MAC addresses as people write them. Four notations are read, in any letter case:
 * "aa:bb:cc:dd:ee:ff", "aa-bb-cc-dd-ee-ff", "aabb.ccdd.eeff" and "aabbccddeeff".
 * Anything else (mixed separators, blanks, other lengths) is no MAC.
 */
class MacAddress
{
public:
    /// @p strText in the cameras' own form, "AA:BB:CC:DD:EE:FF"; empty when it is no MAC.
    static QString cameraForm(const QString &strText);
    /// True when both texts are MACs and name the same one, whatever their notations.
    static bool isSame(const QString &strFirst, const QString &strSecond);
};
