'use strict';
// `spellshell lsp`: the language server over standard input and output.
const { Connection } = require('./connection');
const { Server } = require('./server');

// Serves one client until `exit` or the end of the input. Resolves to the exit status the
// protocol gives: 0 after a shutdown request, 1 otherwise.
async function run({ input = process.stdin, output = process.stdout, env = process.env, platform = process.platform, openService } = {}) {
  let server;
  const connection = new Connection(input, output, {
    request: (method, params, token) => server.request(method, params, token),
    notification: (method, params) => {
      if (method === 'exit') connection.close();
      else server.notification(method, params);
    },
    failed: (method, error) => server.failed(method, error),
  });
  server = new Server(connection, { env, platform, openService });
  // A write to an editor that is gone fails: nothing more can be told, and the end of the input
  // follows.
  output.on?.('error', () => connection.close());
  await connection.listen();
  const status = server.state === 'shutdown' ? 0 : 1;
  input.pause?.();
  if (input === process.stdin) input.destroy();
  await server.close();
  return status;
}

// `spellshell lsp` on the process's own standard input and output: the process ends with the
// server, whatever may still be under way (a worker loading a dictionary, a timer of the
// service), so that an editor that starts and stops servers never collects lingering ones.
async function serve(options = {}) {
  const status = await run({ ...options, input: process.stdin, output: process.stdout });
  // What was written last (the answer to `shutdown`) reaches the editor first.
  await new Promise((resolve) => {
    if (process.stdout.destroyed || !process.stdout.writable) resolve();
    else process.stdout.write('', resolve);
  });
  process.exit(status);
}

module.exports = { run, serve };
