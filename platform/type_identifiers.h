#pragma once

#include <QString>
#include <QStringList>

// Uniform type identifiers for the few tags the cleaner asks about: device model codes
// (from a small bundled table of models) and the generic application file type. Icons are
// references: names in the desktop's icon theme (see workspace.h).
namespace platform {

inline const QString kDeviceModelCodeTagClass = QStringLiteral("com.apple.device-model-code");
inline const QString kPublicDeviceType = QStringLiteral("public.device");

// Every identifier registered for the tag that conforms to `conformingTo` (or to anything
// when it is empty), in registration order; empty for an unknown tag.
QStringList typeIdentifiersForTag(const QString& tagClass, const QString& tag,
                                  const QString& conformingTo);
// The preferred identifier for the tag. An unknown tag gets a dynamic identifier
// ("dyn." followed by an encoding of class and tag), as the system makes one.
QString preferredTypeIdentifierForTag(const QString& tagClass, const QString& tag);
// The icon of a type; empty when the type has none.
QString iconForTypeIdentifier(const QString& typeIdentifier);
// The icon of a classic four-character file type code ("APPL": an application).
QString iconForFileTypeCode(const QString& code);

}  // namespace platform
