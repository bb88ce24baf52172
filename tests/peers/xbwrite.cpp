// Writes a table with libxbase64:  xbwrite OUT.DBF CODE NAME QTY [CODE NAME QTY ...]
#include <xbase64/xbase64.h>
#include <cstdio>
int main(int argc, char **argv) {
    if (argc < 2 || (argc - 2) % 3 != 0) return 2;
    xbSchema schema[] = {
        {"CODE", XB_CHAR_FLD, 5, 0},
        {"NAME", XB_CHAR_FLD, 20, 0},
        {"QTY", XB_NUMERIC_FLD, 8, 0},
        {"", 0, 0, 0},
    };
    xbXBase x;
    xbDbf d(&x);
    if (d.CreateDatabase(argv[1], schema, XB_OVERLAY) != XB_NO_ERROR) return 1;
    for (int i = 2; i + 2 < argc; i += 3) {
        d.BlankRecord();
        d.PutField(d.GetFieldNo("CODE"), argv[i]);
        d.PutField(d.GetFieldNo("NAME"), argv[i + 1]);
        d.PutField(d.GetFieldNo("QTY"), argv[i + 2]);
        if (d.AppendRecord() != XB_NO_ERROR) return 1;
    }
    d.CloseDatabase();
    return 0;
}
