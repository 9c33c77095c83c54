#include "cardaccess.h"

#include "kernelcardaccess.h"
#include "udiskscardaccess.h"

std::unique_ptr<CardAccess> CardAccess::choose()
{
    if (UDisksClient::serviceAvailable())
        return std::make_unique<UDisksCardAccess>();
    return std::make_unique<KernelCardAccess>();
}
