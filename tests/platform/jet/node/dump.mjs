// Prints what mdb-reader reads from an Access file as JSON:
// node dump.mjs FILE [PASSWORD]
// {"tables": [...], "password": ..., "data": {"TABLE": {"columns": [...], "rows": [...]}}}
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const [file, password] = process.argv.slice(2);
const reader = new MDBReader(readFileSync(file), password ? { password } : {});

const encode = (value) => {
  if (value instanceof Date) return { date: value.toISOString() };
  if (Buffer.isBuffer(value)) return { bytes: value.toString("hex") };
  return value;
};

const result = {
  tables: reader.getTableNames(),
  systemTables: reader.getTableNames({ normalTables: false, systemTables: true }),
  password: reader.getPassword(),
  data: {},
};
for (const name of result.tables) {
  const table = reader.getTable(name);
  result.data[name] = {
    columns: table.getColumns().map((c) => ({ name: c.name, type: c.type, size: c.size })),
    rowCount: table.rowCount,
    rows: table.getData().map((row) => Object.fromEntries(Object.entries(row).map(([k, v]) => [k, encode(v)]))),
  };
}
process.stdout.write(JSON.stringify(result));
