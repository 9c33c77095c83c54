#include "card/cardaccess.h"

#include "card/kernelcardaccess.h"
#include "card/udiskscardaccess.h"

std::unique_ptr<CardAccess> CardAccess::choose()
{
    if (UDisksClient::serviceAvailable())
        return std::make_unique<UDisksCardAccess>();
    return std::make_unique<KernelCardAccess>();
}
