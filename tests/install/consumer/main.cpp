// A minimal application of the installed library: reach the facade and use it.
#include <bll_businesslogic_desktop.h>

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int first = BLL_BusinessLogic_Desktop::instance()->getChar(0x11223344, 0);
    std::printf("consumer: %d\n", first);
    return first == 0x11 ? 0 : 1;
}
