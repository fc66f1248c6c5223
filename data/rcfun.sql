-- The card function database "rcFun.db": the receiving-card models the
-- application knows and the functions they offer. The build turns this file into
-- rcFun.db beside the programs (tools/gen-rcfun); docs/file-formats.md describes
-- the tables. The library reads every column and passes them on; only the
-- column HexCode of recvCardTab and the first column of rcFunTab are keys.

CREATE TABLE recvCardTab (
    HexCode     TEXT PRIMARY KEY,   -- model code the card reports, "0x" and 4 hex digits
    CardName    TEXT NOT NULL,      -- model name shown to the operator
    MaxWidth    INTEGER NOT NULL,   -- largest cabinet the card drives, pixels
    MaxHeight   INTEGER NOT NULL,
    DataGroups  INTEGER NOT NULL,   -- parallel RGB data groups of the card
    FlashSize   INTEGER NOT NULL,   -- firmware flash in KiB
    Functions   TEXT NOT NULL,      -- FunId values of rcFunTab, comma separated
    Description TEXT
);

INSERT INTO recvCardTab VALUES
    ('0x1001', 'LW-R4', 256, 128, 16, 2048, '1,2,3',
     'Compact card for indoor cabinets'),
    ('0x1002', 'LW-R8', 512, 256, 24, 4096, '1,2,3,4,5',
     'General-purpose card with calibration memory'),
    ('0x1003', 'LW-R10 10'' outdoor', 512, 384, 32, 4096, '1,2,3,4,5,6',
     'Weather-sealed card for 10-foot outdoor cabinets'),
    ('0x1004', 'LW-R16 Pro', 1024, 512, 64, 8192, '1,2,3,4,5,6,7',
     'High-density card with seam correction and stored picture'),
    ('0x2001', 'LW-M2 "Mini"', 128, 128, 8, 1024, '1,2',
     'Module-mounted card for small signs');

CREATE TABLE rcFunTab (
    FunId       INTEGER PRIMARY KEY, -- key of the function
    FunName     TEXT NOT NULL,       -- short name shown to the operator
    RegAddr     TEXT NOT NULL,       -- receiving-card address of its setting
    Length      INTEGER NOT NULL,    -- bytes of the setting
    Description TEXT
);

INSERT INTO rcFunTab VALUES
    (1, 'Brightness', '0xA0000010', 1, 'Global brightness, 0 to 255'),
    (2, 'Gamma', '0xA0000020', 512, 'Gamma table, 256 entries of 16 bits'),
    (3, 'Scan mode', '0xA0000040', 4, 'Scan type and line decoder of the modules'),
    (4, 'Calibration', '0xA0030000', 0, 'Per-pixel brightness and colour coefficients'),
    (5, 'Temperature', '0xA0000080', 2, 'Card temperature read-back, 0.1 degree units'),
    (6, 'Seam correction', '0xA0010000', 0, 'Brightness correction along cabinet seams'),
    (7, 'Stored picture', '0xA0100000', 0, 'Picture shown while no video comes in');
