// The application icon as Qt takes it.
#pragma once

#include <QIcon>

QIcon MakeAppIcon();
