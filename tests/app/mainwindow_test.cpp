#include "support/programfixture.h"

#include "widgets/pagecontrol.h"
#include "widgets/statusbar.h"

TEST_F(ProgramTest, StartsWithOneUntitledTab)
{
    EXPECT_EQ(Fp->pageEdition->count(), 1);
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("Nouvelle page"));
    EXPECT_FALSE(Fp->statusbarFp->isVisible());
}
