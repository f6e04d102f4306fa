'use strict';
// The npm package kesmard, as npm installed it beside this file, on the
// line the first argument names; prints the module's answers, one a line.
const kesmard = require('kesmard');

const { ok, text } = kesmard.init(20, 2, process.argv[2]);
const ready = kesmard.status();
kesmard.write('Caf\u00e9 \u00a3');
kesmard.done();
console.log([text, Number(ok), ready, kesmard.status(), kesmard.driverName(), kesmard.usage(),
             kesmard.defaultParameters()].join('\n'));
