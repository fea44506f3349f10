// Serves a folder over http on 127.0.0.1 (the web page and its tests):
//   node web/serve.js DIR [PORT]
// Port 0 picks a free one; the first line printed is "serving http://HOST:PORT/".
// As a module: start(dir, port) resolves to the server once it listens.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png',
};

function start(dir, port) {
  const root = path.resolve(dir);
  const server = http.createServer(function (request, response) {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    // Nothing outside the folder.
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, function (error, body) {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
                                'Cache-Control': 'no-store' });
      response.end(body);
    });
  });
  return new Promise(function (resolve) { server.listen(port, '127.0.0.1', () => resolve(server)); });
}

if (require.main === module) {
  if (process.argv.length < 3) {
    console.error('usage: node web/serve.js DIR [PORT]');
    process.exit(2);
  }
  start(process.argv[2], Number(process.argv[3] || 8000)).then(function (server) {
    console.log('serving http://127.0.0.1:' + server.address().port + '/');
  });
}

module.exports = { start };
