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
  await server.close();
  input.pause?.();
  if (input === process.stdin) input.destroy();
  return status;
}

module.exports = { run };
