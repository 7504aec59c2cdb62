global.steps += 1;
