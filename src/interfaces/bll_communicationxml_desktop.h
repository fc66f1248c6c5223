#pragma once
// XML codec of the remote-tool server: parameter maps to XML text and back.
//
// A message is one element
//   <message type="N">items</message>
// with one <item> per map entry. An item carries its key, its value type and,
// for scalars, its value as attributes:
//   <item key="cmd" type="string" value="SendAdjustData"/>
//   <item key="size" type="int" value="42"/>
// Value types: string, int (64-bit), uint (64-bit), double, bool ("true"/"false"),
// bytes (base64), map (child items with keys) and list (child items without
// keys). Any other variant is written as a string. Values live in attributes, so
// the text never holds a raw line break and one message fits on one line.
//
// Message types: 0 response, 1 adjust command (answered at once), 2 command,
// 3 calibration data, 4 screen information. Any other number is carried as is.
//
// Decoding is strict: a document with a DTD, another root element, a missing
// or non-numeric type, an item without a key inside a map, an unknown value
// type, a value that does not parse as its type, nesting deeper than MaxDepth
// or more than MaxMessageSize bytes is rejected as a whole.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariantMap>

class BLL_CommunicationXml_Desktop : public QObject
{
    Q_OBJECT
public:
    enum MessageType {
        Response = 0,
        AdjustCommand = 1,
        Command = 2,
        CalibrationData = 3,
        ScreenInfo = 4
    };
    static constexpr int MaxDepth = 32;
    static constexpr int MaxMessageSize = 1 << 20;

    explicit BLL_CommunicationXml_Desktop(QObject *parent = nullptr);
    ~BLL_CommunicationXml_Desktop() override;

    // Decodes one message and emits recvCmdData with its type and map. A malformed
    // message is logged and emits nothing; the return value says which happened.
    bool parseXml(const QByteArray &xml);

    // Answer to a client command: a Response message {"cmd": cmd, "result": result}.
    static QByteArray getResponseXml(const QString &cmd, int result);

    static QByteArray toXml(int type, const QVariantMap &map);
    // Pure decoder; on failure returns false and, when asked, a reason.
    static bool fromXml(const QByteArray &xml, int *type, QVariantMap *map,
                        QString *error = nullptr);

signals:
    void recvCmdData(int type, QVariantMap vMap);
};
