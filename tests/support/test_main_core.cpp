#include <QCoreApplication>

#include "support/TestEnv.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    qlk::test::checkQuitsAfterEachTest();
    qlk::test::refuseRootRouteInEachTest();
    return RUN_ALL_TESTS();
}
